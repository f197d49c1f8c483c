#!/usr/bin/env bash
# All tests: the portable core natively under AddressSanitizer + UBSan, the
# x64 DLLs under Wine, the x86 DLLs by inspection. Each step is a function
# named in STEPS; add a step by writing its function and listing it.
# Exits non-zero when any step fails; the later steps still run.
set -uo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/wine_env.sh

STEPS=(setup native tsan fuzz win64 win32)

JOBS=2   # the build machines are small and shared

# Configure, build and test one preset; prints ctest's summary lines.
build_and_test() {
    local preset=$1
    shift
    cmake --preset "$preset" >/dev/null || return 1
    cmake --build --preset "$preset" -j"$JOBS" >"build/$preset/build.log" 2>&1 || {
        tail -n 40 "build/$preset/build.log"
        echo "build failed: build/$preset/build.log"
        return 1
    }
    local log="build/$preset/ctest.log" status=0
    ctest --preset "$preset" "$@" >"$log" 2>&1 || status=$?
    grep -E 'tests passed|tests failed|The following tests|^[[:space:]]+[0-9]+ - |No tests were found' "$log"
    [ $status -eq 0 ] || echo "details: $log"
    return $status
}

step_setup() { bash scripts/setup.sh; }

step_native() { build_and_test native -j"$JOBS"; }

# The threaded test under ThreadSanitizer.
step_tsan() {
    cmake --preset native-tsan >/dev/null || return 1
    cmake --build --preset native-tsan -j"$JOBS" --target rova_thread_tests >build/native-tsan/build.log 2>&1 || {
        tail -n 40 build/native-tsan/build.log
        return 1
    }
    ctest --preset native-tsan -R rova_thread_tests 2>&1 | grep -E 'tests passed|tests failed|Failed|Passed'
    return "${PIPESTATUS[0]}"
}

# Each fuzz target for FUZZ_SECONDS (60) over its committed seeds and the
# regression corpus. A crash, hang, leak or memory blow-up fails the step.
step_fuzz() {
    local seconds=${FUZZ_SECONDS:-60} status=0 target
    cmake --preset fuzz >/dev/null || return 1
    cmake --build --preset fuzz -j"$JOBS" --target fuzz_rova2 fuzz_legacy fuzz_info >build/fuzz/build.log 2>&1 || {
        tail -n 40 build/fuzz/build.log
        return 1
    }
    mkdir -p build/fuzz/ci
    for target in rova2 legacy info; do
        local work=build/fuzz/ci/$target log=build/fuzz/ci/$target.log
        rm -rf "$work" && mkdir -p "$work"
        if build/fuzz/tools/fuzz/fuzz_$target "$work" tools/fuzz/corpus/$target tests/corpus/regressions \
            -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 -max_len=4096 \
            -artifact_prefix="build/fuzz/ci/$target-" -print_final_stats=1 >"$log" 2>&1; then
            echo "fuzz_$target: $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$') runs," \
                 "$(grep -Eo 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -n 1), no finding"
        else
            grep -E 'ERROR|SUMMARY|Test unit written' "$log" | head -n 5
            echo "fuzz_$target found a fault: $log"
            status=1
        fi
    done
    return $status
}

step_win64() {
    mkdir -p build/win64
    wine_prefix_ready
    wine_server_start
    # Wine's background services start with the first program and keep its
    # output open; start them here so no test inherits ctest's pipes.
    "$WINE_LOADER" cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
    local status=0
    build_and_test win64 || status=$?
    wine_server_stop
    return $status
}

step_win32() { build_and_test win32 -j"$JOBS"; }

trap wine_server_stop EXIT

failed=()
for step in "${STEPS[@]}"; do
    echo "== $step"
    if ! "step_$step"; then
        failed+=("$step")
        [ "$step" = setup ] && break   # nothing else can work without the tools
    fi
done

if [ ${#failed[@]} -ne 0 ]; then
    echo "== FAILED: ${failed[*]}"
    exit 1
fi
echo "== all steps passed"

#!/usr/bin/env bash
# Benchmarks on large documents: the core natively (native-release) and the
# real x64 plug-in under Wine, each against the floor of inflating the body
# with zlib alone. Prints the machine and both tables.
#   bash scripts/bench.sh [runs]     (default 5; figures are medians)
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/wine_env.sh
runs=${1:-5}

bash scripts/setup.sh
for build in "native-release rova_bench" "win64 rova_bench_win"; do
    set -- $build
    echo "== building $1"
    mkdir -p "build/$1"
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1" -j2 --target "$2" >"build/$1/bench-build.log" 2>&1 ||
        { tail -n 40 "build/$1/bench-build.log"; exit 1; }
done

echo "== machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')," \
     "load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo
build/native-release/tools/bench/rova_bench --runs "$runs"
echo

wine_prefix_ready
wine_server_start
trap wine_server_stop EXIT
"$WINE_LOADER" build/win64/bin/rova_bench_win.exe --runs "$runs"
echo "== load average afterwards $(cut -d' ' -f1-3 /proc/loadavg)"

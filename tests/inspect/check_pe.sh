#!/usr/bin/env bash
# Checks a Windows DLL by reading its headers with objdump -p:
#   check_pe.sh OBJDUMP DLL MACHINE [--ordinals] EXPORT...
# MACHINE is i386 or x86-64. The DLL must export exactly EXPORT... (any
# order; with --ordinals the i-th name must have ordinal i), no name may
# carry '@' decoration, and it may import only DLLs every Windows has.
set -euo pipefail

if [ $# -lt 4 ]; then
    echo "usage: $0 OBJDUMP DLL MACHINE [--ordinals] EXPORT..." >&2
    exit 2
fi
objdump=$1 dll=$2 machine=$3
shift 3
ordinals=false
if [ "$1" = --ordinals ]; then
    ordinals=true
    shift
fi
expected=("$@")

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

[ -f "$dll" ] || { echo "FAIL: $dll does not exist (build it first)" >&2; exit 1; }
dump=$("$objdump" -p "$dll")

format=$(sed -n 's/.*file format //p' <<<"$dump" | head -n1)
[ "$format" = "pei-$machine" ] || fail "machine: expected pei-$machine, found '$format'"

# "[Ordinal/Name Pointer] Table" lists "[index] name"; ordinal = index + base.
base=$(sed -n 's/^Ordinal Base[[:space:]]*//p' <<<"$dump" | head -n1)
exports=$(awk '/^\[Ordinal\/Name Pointer\] Table/ { on = 1; next }
               on && NF == 0 { on = 0 }
               on { gsub(/[][]/, " "); print $1, $2 }' <<<"$dump")

actual_names=$(awk '{ print $2 }' <<<"$exports" | sed '/^$/d' | sort)
wanted_names=$(printf '%s\n' "${expected[@]}" | sort)
if [ "$actual_names" != "$wanted_names" ]; then
    fail "exports differ (expected | found):"
    diff <(echo "$wanted_names") <(echo "$actual_names") >&2 || true
fi
if grep -q '@' <<<"$actual_names"; then
    fail "decorated export names: $(grep '@' <<<"$actual_names" | tr '\n' ' ')"
fi

if $ordinals; then
    i=1
    for name in "${expected[@]}"; do
        index=$(awk -v n="$name" '$2 == n { print $1 }' <<<"$exports")
        if [ -z "$index" ] || [ $((index + ${base:-1})) -ne $i ]; then
            fail "$name: expected ordinal $i, found ${index:+$((index + ${base:-1}))}"
        fi
        i=$((i + 1))
    done
fi

allowed='^(kernel32|user32|gdi32|advapi32|ole32|oleaut32|shlwapi|shell32|msvcrt|api-ms-win-crt-[a-z0-9-]+)\.dll$'
while read -r imported; do
    [ -n "$imported" ] || continue
    lower=$(tr '[:upper:]' '[:lower:]' <<<"$imported")
    [[ $lower =~ $allowed ]] || fail "imports $imported, which is not a system DLL"
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")

if [ $failures -ne 0 ]; then
    echo "$dll: $failures check(s) failed" >&2
    exit 1
fi
echo "$dll: $machine, exports $(echo $actual_names), system imports only"

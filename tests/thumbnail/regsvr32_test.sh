#!/usr/bin/env bash
# Wine's regsvr32 registers and removes rovaprev.dll; registry_probe checks
# the registry after each step, and while registered the end-to-end program
# takes thumbnails of documents through the shell.
# Usage: regsvr32_test.sh <wine runner> <rovaprev.dll> <registry_probe.exe> <end-to-end.exe>
set -euo pipefail
trap 'echo "failed at line $LINENO" >&2' ERR
run=$1
dll=$2
probe=$3
end_to_end=$4
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

"$run" regsvr32 /s "$(windows_path "$dll")"
"$run" "$probe" registered "$(windows_path "$dll")"
status=0
"$run" "$end_to_end" || status=$?
"$run" regsvr32 /u /s "$(windows_path "$dll")"
"$run" "$probe" removed
[ $status -eq 0 ] || { echo "the end-to-end thumbnails failed" >&2; exit 1; }
echo "regsvr32 registered and removed $(basename "$dll") as expected"

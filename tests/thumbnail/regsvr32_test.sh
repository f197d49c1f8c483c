#!/usr/bin/env bash
# Wine's regsvr32 registers and removes rovaprev.dll; registry_probe checks
# the registry after each step.
# Usage: regsvr32_test.sh <wine runner> <rovaprev.dll> <registry_probe.exe>
set -euo pipefail
run=$1
dll=$2
probe=$3
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

"$run" regsvr32 /s "$(windows_path "$dll")"
"$run" "$probe" registered "$(windows_path "$dll")"
"$run" regsvr32 /u /s "$(windows_path "$dll")"
"$run" "$probe" removed
echo "regsvr32 registered and removed $(basename "$dll") as expected"

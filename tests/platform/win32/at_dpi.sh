#!/usr/bin/env bash
# at_dpi.sh DPI PREFIX PROGRAM [ARGUMENT...]
# Runs a Windows test program under Wine in a prefix of its own whose screen has DPI dots per
# inch (LogPixels; the suite's own prefix stays at 96), and names that DPI to the program in
# VELLUMINE_EXPECTED_DPI, so that a setting that did not take fails instead of passing as 96.
set -euo pipefail
dpi=$1
export WINEPREFIX=$2 VELLUMINE_EXPECTED_DPI=$1
shift 2
wine_run=$(cd "$(dirname "$0")/../../.." && pwd)/scripts/wine-run.sh
"$wine_run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
exec "$wine_run" "$@"

#!/usr/bin/env bash
# Installs what is missing, builds Movetrail and its tests, and runs the whole suite
# under Wine. Exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
bash scripts/build-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw
source scripts/wine-env.sh
source scripts/cups-env.sh
trap 'movetrail_cups_stop; movetrail_stop' EXIT
movetrail_start_display
movetrail_cups_start "$PWD/build/cups-run" || echo "no print queue: cupsd did not start" >&2
movetrail_prepare_prefix
movetrail_start_wineserver
ctest --preset mingw --timeout 900 "$@"

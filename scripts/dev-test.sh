#!/usr/bin/env bash
# For working beside others on one machine: builds into build/NAME and runs the
# tests with a Wine prefix and an Xvfb display of its own.
#   scripts/dev-test.sh NAME [ctest arguments...]
# Set-up (packages, libjpeg-turbo) must have been done once by scripts/test.sh.
set -euo pipefail
name=${1:?usage: scripts/dev-test.sh NAME [ctest args]}
shift
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/build-deps.sh
if [ ! -f "build/$name/build.ninja" ]; then
  cmake --preset mingw -B "build/$name" >/dev/null
fi
cmake --build "build/$name"
export WINEPREFIX="$root/build/wineprefix-$name"
unset DISPLAY
source scripts/wine-env.sh
source scripts/cups-env.sh
trap 'movetrail_cups_stop; movetrail_stop' EXIT
movetrail_start_display
movetrail_cups_start "$PWD/build/cups-$name" || echo "no print queue: cupsd did not start" >&2
movetrail_prepare_prefix
movetrail_start_wineserver
cd "build/$name"
ctest --output-on-failure --timeout 900 "$@"

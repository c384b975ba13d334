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
source scripts/session-env.sh
movetrail_session
cd "build/$name"
ctest --output-on-failure --timeout 1800 "$@"

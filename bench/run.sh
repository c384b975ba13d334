#!/usr/bin/env bash
# Builds one measurement program in build/NAME and runs it under Wine with that
# build's own Wine prefix, an Xvfb display and a print queue of its own.
#   bash bench/run.sh NAME soak|trace_bench|picture_bench|step_bench|clip_bench [arguments...]
#   (soak: [traceEvents pictureCycles prints videoLoads])
# Set-up (packages, libjpeg-turbo) must have been done once by scripts/test.sh.
set -euo pipefail
name=${1:?usage: bench/run.sh NAME PROGRAM [arguments]}
program=${2:?usage: bench/run.sh NAME PROGRAM [arguments]}
shift 2
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
if [ ! -f "build/$name/build.ninja" ]; then
  cmake --preset mingw -B "build/$name" >/dev/null
fi
cmake --build "build/$name" --target "$program" demo_clip
if [ "$program" = clip_bench ]; then cmake --build "build/$name" --target marker_clips; fi
export WINEPREFIX="$root/build/wineprefix-$name"
unset DISPLAY
source scripts/session-env.sh
movetrail_session
wine "build/$name/bench/$program.exe" "$@"

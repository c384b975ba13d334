#!/usr/bin/env bash
# Builds one measurement program in build/NAME and runs it under Wine with that
# build's own Wine prefix, an Xvfb display and a print queue of its own.
#   bash bench/run.sh NAME soak|trace_bench|picture_bench|step_bench|clip_bench|trail_bench [arguments...]
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
# The trail's clips: 900 frames of a square crossing a still, textured ground, at
# 1920x1080 with a key frame every 60 and at 320x240.
if [ "$program" = trail_bench ] && [ $# -eq 0 ]; then
  for size in 1920x1080 320x240; do
    clip="build/$name/bench/trail-$size.mp4"
    if [ ! -f "$clip" ]; then
      ffmpeg -hide_banner -loglevel error -y -f lavfi -i "testsrc=s=$size:r=30:d=1,trim=end_frame=1,loop=900:1:0" \
        -f lavfi -i "color=c=red:s=${size%x*}x${size%x*}:r=30,scale=iw/8:ih/8" \
        -filter_complex "[0][1]overlay=x=mod(n*4\,W):y=H/3:eval=frame:shortest=1,format=yuv420p" \
        -frames:v 900 -c:v libx264 -preset fast -g 60 -keyint_min 60 -sc_threshold 0 -an "$clip"
    fi
    set -- "$@" "$(winepath -w "$clip" 2>/dev/null || echo "$clip")"
  done
fi
export WINEPREFIX="$root/build/wineprefix-$name"
unset DISPLAY
source scripts/session-env.sh
movetrail_session
wine "build/$name/bench/$program.exe" "$@"

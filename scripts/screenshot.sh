#!/usr/bin/env bash
# Remakes docs/main-window.png from a real session on a private Xvfb display: the
# demo clip opened from the command line and stepped, the moving ball traced into
# the still image, the readouts showing a position and a measured drag
# (tools/screenshot_session.cpp drives the program).
# With "trail" it remakes docs/trail.png: the textured marker clip's square laid
# over its first frame every tenth frame from 10 to 70 with Ctrl+T.
# With "table" it remakes docs/table.png: the same trail with its places marked
# (番号を付ける), and the table of positions it filled, beside the main window,
# its graph showing X with a line fitted.
# With "fit" it remakes docs/fit.png: a ball thrown across a textured ground
# (made here with ffmpeg: 30 fps, x = 20 + 250t, top row 170 - 245t + 245t² in
# pixels, so 490 px/s² downwards), its trail measured, 100 pixels taken as 2 m
# (g = 9.8 m/s²), and the table's graph of Y with a parabola fitted.
#   scripts/screenshot.sh [OUT.png]   (build folder: MOVETRAIL_BUILD, default build/mingw)
#   scripts/screenshot.sh trail [OUT.png]
#   scripts/screenshot.sh table [OUT.png]
#   scripts/screenshot.sh fit [OUT.png]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mode=""
clip_name=demo.avi
default_out=$root/docs/main-window.png
if [ "${1:-}" = trail ] || [ "${1:-}" = table ] || [ "${1:-}" = fit ]; then
  mode=$1
  clip_name=tests/marker-textured.mp4
  default_out=$root/docs/$1.png
  shift
fi
out="${1:-$default_out}"
build="$root/${MOVETRAIL_BUILD:-build/mingw}"
cmake --build "$build" --target movetrail demo_clip marker_clips screenshot_session >/dev/null
mkdir -p "$(dirname "$out")"
unset DISPLAY
source scripts/wine-env.sh
work=$(mktemp -d)
trap 'touch "$work/done"; movetrail_stop; rm -rf "$work"' EXIT
clip="$build/$clip_name"
if [ "$mode" = fit ]; then
  clip="$work/throw.mp4"
  ground="color=c=gray:s=320x240:r=30:d=1.2,format=rgb24,geq=r='64+8*mod(floor(X/4)*3+floor(Y/4)*5\,16)':g='96+6*mod(floor(X/4)*7+floor(Y/4)\,16)':b='48+10*mod(floor(X/4)+floor(Y/4)*3\,16)'"
  ball="color=c=0xF81818:s=16x16:r=30,format=rgba,geq=r=248:g=24:b=24:a='255*lte(hypot(X-7.5\,Y-7.5)\,8)'"
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i "$ground" -f lavfi -i "$ball" \
    -filter_complex "[0][1]overlay=x='round(20+250*t)':y='round(170-245*t+245*t*t)':eval=frame:shortest=1,format=yuv420p" \
    -an -c:v libx264 -crf 8 "$clip"
fi
movetrail_start_display
movetrail_prepare_prefix
movetrail_start_wineserver
# Keep the pointer off the controls so no hover hint covers them.
xdotool mousemove 0 0 || true
wine "$build/tests/screenshot_session.exe" "$(winepath -w "$build/movetrail.exe")" \
  "$(winepath -w "$clip")" "$(winepath -w "$work/ready")" "$(winepath -w "$work/done")" $mode &
session=$!
# The session says when the window shows it all (bounded).
for _ in $(seq 1 240); do
  if [ -f "$work/ready" ] || ! kill -0 "$session" 2>/dev/null; then break; fi
  sleep 0.5
done
if [ ! -f "$work/ready" ]; then
  echo "the session did not get ready" >&2
  exit 1
fi
id=$(xwininfo -root -tree | grep '"Movetrail"' | head -n 1 | awk '{print $1}')
if [ "$mode" = table ] || [ "$mode" = fit ]; then
  # Both windows: the screen cut to the box around them.
  table=$(xwininfo -root -tree | grep '"位置の表"' | head -n 1 | awk '{print $1}')
  box() { xwininfo -id "$1" -frame | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, x+w, y+h}'; }
  read -r ax ay ax2 ay2 < <(box "$id")
  read -r bx by bx2 by2 < <(box "$table")
  left=$((ax < bx ? ax : bx)); top=$((ay < by ? ay : by))
  right=$((ax2 > bx2 ? ax2 : bx2)); bottom=$((ay2 > by2 ? ay2 : by2))
  import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" "$out"
else
  import -window "$id" "$out"
fi
touch "$work/done"
wait "$session"
echo "saved $out"

#!/usr/bin/env bash
# Remakes docs/main-window.png from a real session on a private Xvfb display: the
# demo clip opened from the command line and stepped, the moving ball traced into
# the still image, the readouts showing a position and a measured drag
# (tools/screenshot_session.cpp drives the program).
# With "trail" it remakes docs/trail.png: the textured marker clip's square laid
# over its first frame every tenth frame from 10 to 70 with Ctrl+T.
# With "table" it remakes docs/table.png: the same trail with its places marked
# (番号を付ける), and the table of positions it filled, beside the main window.
#   scripts/screenshot.sh [OUT.png]   (build folder: MOVETRAIL_BUILD, default build/mingw)
#   scripts/screenshot.sh trail [OUT.png]
#   scripts/screenshot.sh table [OUT.png]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mode=""
clip_name=demo.avi
default_out=$root/docs/main-window.png
if [ "${1:-}" = trail ] || [ "${1:-}" = table ]; then
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
movetrail_start_display
movetrail_prepare_prefix
movetrail_start_wineserver
# Keep the pointer off the controls so no hover hint covers them.
xdotool mousemove 0 0 || true
wine "$build/tests/screenshot_session.exe" "$(winepath -w "$build/movetrail.exe")" \
  "$(winepath -w "$build/$clip_name")" "$(winepath -w "$work/ready")" "$(winepath -w "$work/done")" $mode &
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
if [ "$mode" = table ]; then
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

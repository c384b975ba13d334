#!/usr/bin/env bash
# Starts the built program on a private Xvfb display and saves a screenshot of
# its main window to docs/main-window.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out="${1:-$root/docs/main-window.png}"
mkdir -p "$(dirname "$out")"
unset DISPLAY
source scripts/wine-env.sh
trap movetrail_stop EXIT
movetrail_start_display
movetrail_prepare_prefix
movetrail_start_wineserver
(cd build/mingw && wine ./movetrail.exe >/dev/null 2>&1 &)
# Wait for the window to appear (bounded), then let it paint.
for _ in $(seq 1 120); do
  if xwininfo -root -tree 2>/dev/null | grep -q '"Movetrail"'; then break; fi
  sleep 0.5
done
# Keep the pointer off the controls so no hover hint covers them.
xdotool mousemove 0 0 || true
sleep 3
id=$(xwininfo -root -tree | grep '"Movetrail"' | head -n 1 | awk '{print $1}')
import -window "$id" "$out"
wine cmd.exe /c "taskkill /im movetrail.exe" >/dev/null 2>&1 || true
echo "saved $out"

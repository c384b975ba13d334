#!/usr/bin/env bash
# Installs what is missing, builds Movetrail and starts it under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
if [ -z "${MOVETRAIL_SET_UP:-}" ]; then
  bash scripts/install-deps.sh
  # A locale generated just now is seen only by processes started after that:
  # go on in a new shell.
  MOVETRAIL_SET_UP=1 exec bash "$root/scripts/$(basename "$0")" "$@"
fi
bash scripts/build-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target movetrail
source scripts/wine-env.sh
movetrail_prepare_prefix
cd build/mingw
exec wine ./movetrail.exe

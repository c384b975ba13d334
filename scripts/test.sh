#!/usr/bin/env bash
# Installs what is missing, builds Movetrail and its tests, and runs the whole suite
# under Wine. Exits non-zero on any failure.
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
cmake --preset mingw -DMOVETRAIL_WERROR=ON >/dev/null
cmake --build --preset mingw
source scripts/session-env.sh
movetrail_session
ctest --preset mingw --timeout 1800 "$@"

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
source scripts/session-env.sh
movetrail_session
ctest --preset mingw --timeout 900 "$@"

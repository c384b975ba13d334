#!/usr/bin/env bash
# Installs what is missing, builds Movetrail and starts it under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
bash scripts/build-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target movetrail
source scripts/wine-env.sh
movetrail_prepare_prefix
cd build/mingw
exec wine ./movetrail.exe

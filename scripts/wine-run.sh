#!/usr/bin/env bash
# Runs a Windows program under Wine in Movetrail's environment (used by ctest).
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
movetrail_prepare_prefix
exec wine "$@"

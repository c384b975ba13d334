#!/usr/bin/env bash
# Wine's sound drivers: given no driver to probe on a machine without a sound
# device, left as they are on one with a card or a PulseAudio server.
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine-env.sh"
t=$(mktemp -d)
trap 'rm -rf "$t"' EXIT
failures=0
mkdir -p "$t/none" "$t/card" "$t/run"
touch "$t/none/seq" "$t/none/timer" "$t/card/controlC0" "$t/card/pcmC0D0p"
unset PULSE_SERVER
export XDG_RUNTIME_DIR="$t/run"
if movetrail_has_sound "$t/none"; then echo "FAILED: a machine without a card has a sound device"; failures=1; fi
if ! movetrail_has_sound "$t/card"; then echo "FAILED: a machine with a card has none"; failures=1; fi
if ! PULSE_SERVER=tcp:192.0.2.1 movetrail_has_sound "$t/none"; then
  echo "FAILED: a PulseAudio server is no sound device"; failures=1
fi
# Where this machine has none, Wine is given no sound driver.
if ! movetrail_has_sound && [[ "$WINEDLLOVERRIDES" != *"winealsa.drv,winepulse.drv,wineoss.drv=d"* ]]; then
  echo "FAILED: no sound device here, yet Wine probes its sound drivers ($WINEDLLOVERRIDES)"; failures=1
fi
exit "$failures"

# Sourced by the test and measurement commands: Movetrail's Wine environment and
# a session for one run: an Xvfb display (when DISPLAY is not set), a private
# cupsd with a file queue, the prepared prefix and one lasting wineserver,
# all stopped when the calling shell exits.
#   source scripts/session-env.sh; movetrail_session
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
source "$(dirname "${BASH_SOURCE[0]}")/cups-env.sh"

movetrail_session() {
  trap 'movetrail_cups_stop; movetrail_stop' EXIT
  movetrail_start_display
  movetrail_cups_start || echo "no print queue: cupsd did not start" >&2
  movetrail_prepare_prefix
  movetrail_start_wineserver
}

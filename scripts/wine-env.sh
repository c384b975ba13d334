# Sourced by the run and test scripts: the Wine environment Movetrail runs in.
# Sets WINEPREFIX (private, in the build tree), WINEDEBUG, the Japanese locale,
# starts an Xvfb display when none is given, prepares the prefix once (fonts mapped)
# and keeps one wineserver alive for the session.
movetrail_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$movetrail_root/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export LC_ALL=ja_JP.UTF-8
export WINEARCH=win32
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

movetrail_start_display() {
  if [ -n "${DISPLAY:-}" ]; then return 0; fi
  local fifo; fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  MOVETRAIL_XVFB_PID=$!
  local n; read -r n <"$fifo"; rm -f "$fifo"
  export DISPLAY=":$n"
}

movetrail_prepare_prefix() {
  if [ -f "$WINEPREFIX/.movetrail-ready" ]; then return 0; fi
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  # Map the window font and the Japanese UI fonts onto the installed IPA fonts.
  local reg="$WINEPREFIX/movetrail-fonts.reg"
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    printf '"ＭＳ Ｐゴシック"="IPAPGothic"\r\n'
    printf '"MS PGothic"="IPAPGothic"\r\n'
    printf '"ＭＳ ゴシック"="IPAGothic"\r\n'
    printf '"MS Gothic"="IPAGothic"\r\n'
    printf '"MS UI Gothic"="IPAPGothic"\r\n'
    printf '\r\n'
  } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$reg"
  wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1 || true
  wineserver -w
  touch "$WINEPREFIX/.movetrail-ready"
}

movetrail_start_wineserver() {
  # One persistent wineserver for the whole run.
  wineserver -p >/dev/null 2>&1 || true
  # Start Wine's own services now, detached from the caller's output, so test
  # processes neither pay for them nor leave them holding their output pipes.
  wine cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
}

movetrail_stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${MOVETRAIL_XVFB_PID:-}" ]; then kill "$MOVETRAIL_XVFB_PID" 2>/dev/null || true; fi
}

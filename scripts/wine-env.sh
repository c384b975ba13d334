# Sourced by the run and test scripts: the Wine environment Movetrail runs in.
# Sets WINEPREFIX (private, in the build tree), WINEDEBUG, the Japanese locale,
# no sound driver on a machine without a sound device, starts an Xvfb display when none is given, prepares the prefix once (fonts
# mapped, phone clip names given to the MPEG device) and keeps one wineserver
# alive for the session.
movetrail_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$movetrail_root/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export LC_ALL=ja_JP.UTF-8
export WINEARCH=win32
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# Whether the machine has a sound device: a card under /dev/snd (or the folder
# given), or a PulseAudio server to play through.
movetrail_has_sound() {
  local snd=${1:-/dev/snd}
  compgen -G "$snd/pcmC*" >/dev/null || [ -n "${PULSE_SERVER:-}" ] ||
    [ -S "${XDG_RUNTIME_DIR:-/run/user/$(id -u)}/pulse/native" ]
}
# Without one, Wine gets no sound driver to probe: its ALSA driver would print
# "cannot find card" lines on every start. The program's own media device plays no
# sound, and the AVI device plays on without a wave device. With one, sound stays.
if ! movetrail_has_sound; then
  export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winealsa.drv,winepulse.drv,wineoss.drv=d"
fi

movetrail_start_display() {
  if [ -n "${DISPLAY:-}" ]; then return 0; fi
  local fifo; fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  MOVETRAIL_XVFB_PID=$!
  local n; read -r n <"$fifo"; rm -f "$fifo"
  export DISPLAY=":$n"
}

# The preparation's version, kept in the prefix's marker: a prefix prepared by an
# older version gets the newer steps (registry imports may be repeated).
movetrail_prefix_version=2

movetrail_prepare_prefix() {
  local marker="$WINEPREFIX/.movetrail-ready"
  if [ -f "$marker" ] && [ "$(cat "$marker")" = "$movetrail_prefix_version" ]; then return 0; fi
  mkdir -p "$WINEPREFIX"
  # A marker (of any version) means the prefix was made already.
  if [ ! -f "$marker" ]; then
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
  # Map the window font and the Japanese UI fonts onto the installed IPA fonts.
  local reg="$WINEPREFIX/movetrail-prefix.reg"
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    printf '"ＭＳ Ｐゴシック"="IPAPGothic"\r\n'
    printf '"MS PGothic"="IPAPGothic"\r\n'
    printf '"ＭＳ ゴシック"="IPAGothic"\r\n'
    printf '"MS Gothic"="IPAGothic"\r\n'
    printf '"MS UI Gothic"="IPAPGothic"\r\n'
    printf '\r\n'
    # Phone clips go to the MPEG device (DirectShow, with GStreamer behind it),
    # as on Windows; Wine's own list has no entry for them.
    printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\MCI Extensions]\r\n'
    printf '"mp4"="MPEGVideo"\r\n'
    printf '"m4v"="MPEGVideo"\r\n'
    printf '"mov"="MPEGVideo"\r\n'
    printf '\r\n'
  } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$reg"
  wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1 || true
  wineserver -w
  echo "$movetrail_prefix_version" >"$marker"
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

# Sourced by the test scripts: a private CUPS scheduler for the run, so the
# printing tests print to a real queue without touching the machine's own.
#   movetrail_cups_start       starts cupsd with its configuration, spool folder and
#                              a free loopback port in a fresh folder under /tmp, with
#                              one default queue "Movetrail_Test" whose jobs are written
#                              to out/job.ps there; exports CUPS_SERVER,
#                              MOVETRAIL_PRINT_OUTPUT (the job file), MOVETRAIL_CUPS_SPOOL
#                              (the spool folder) and MOVETRAIL_CUPS_LOG (its error log)
#   movetrail_cups_stop        stops it and removes its folder
#   movetrail_run_without_printer EXE [ARGS]
#                              runs a Windows program in a Wine session of its own whose
#                              CUPS server does not exist (Wine reads the printer list
#                              once per session), in a copy of the current prefix

movetrail_cups_start() {
  # The scheduler runs its filters as its own user, who must reach the spool
  # whoever runs the tests and wherever the checkout is (a home folder may be
  # closed to others): so the folder is a fresh one under /tmp, open to read.
  local dir
  dir=$(mktemp -d /tmp/movetrail-cups.XXXXXX)
  chmod 755 "$dir"
  MOVETRAIL_CUPS_DIR=$dir
  mkdir -p "$dir"/{conf,spool,spool/tmp,cache,state,log,out}
  local port
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
  cat >"$dir/conf/cups-files.conf" <<EOF
ServerRoot $dir/conf
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
FileDevice Yes
EOF
  if [ "$(id -u)" != 0 ]; then
    printf 'User %s\nGroup %s\nSystemGroup %s\n' "$(id -un)" "$(id -gn)" "$(id -gn)" \
      >>"$dir/conf/cups-files.conf"
  fi
  cat >"$dir/conf/cupsd.conf" <<EOF
Listen 127.0.0.1:$port
LogLevel warn
Browsing No
DefaultAuthType None
WebInterface No
PreserveJobHistory Yes
PreserveJobFiles No
MaxJobs 0
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
  cupsd -f -c "$dir/conf/cupsd.conf" -s "$dir/conf/cups-files.conf" \
    </dev/null >"$dir/log/cupsd.out" 2>&1 &
  MOVETRAIL_CUPSD_PID=$!
  export CUPS_SERVER="127.0.0.1:$port"
  local i
  for i in $(seq 1 100); do
    if lpstat -r >/dev/null 2>&1; then break; fi
    if ! kill -0 "$MOVETRAIL_CUPSD_PID" 2>/dev/null; then
      echo "cupsd did not start:" >&2; cat "$dir/log/cupsd.out" "$dir/log/error_log" >&2 2>/dev/null
      return 1
    fi
    sleep 0.1
  done
  # A generic PostScript printer on A4: the job passes the PostScript filter and
  # is written to the file.
  for i in $(seq 1 50); do
    if lpadmin -p Movetrail_Test -E -v "file://$dir/out/job.ps" \
      -m drv:///sample.drv/generic.ppd -o PageSize=A4 2>/dev/null; then break; fi
    sleep 0.1
  done
  lpadmin -d Movetrail_Test || return 1
  export MOVETRAIL_PRINT_OUTPUT="$dir/out/job.ps"
  export MOVETRAIL_CUPS_SPOOL="$dir/spool"
  export MOVETRAIL_CUPS_LOG="$dir/log/error_log"
}

movetrail_cups_stop() {
  if [ -n "${MOVETRAIL_CUPSD_PID:-}" ]; then
    kill "$MOVETRAIL_CUPSD_PID" 2>/dev/null || true
    wait "$MOVETRAIL_CUPSD_PID" 2>/dev/null || true
    MOVETRAIL_CUPSD_PID=
  fi
  if [ -n "${MOVETRAIL_CUPS_DIR:-}" ]; then
    rm -rf "$MOVETRAIL_CUPS_DIR"
    MOVETRAIL_CUPS_DIR=
  fi
}

movetrail_run_without_printer() {
  local base=${WINEPREFIX:?WINEPREFIX is not set}
  local prefix="$base-noprinter"
  if [ ! -f "$prefix/.movetrail-ready" ]; then
    rm -rf "$prefix"
    cp -a "$base" "$prefix"
  fi
  local rc=0
  WINEPREFIX="$prefix" CUPS_SERVER="127.0.0.1:1" wine "$@" || rc=$?
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
  return $rc
}

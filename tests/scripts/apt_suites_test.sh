#!/usr/bin/env bash
# The set-up's choice of suites when the mirror fails to serve an index: which
# suites are set aside, and which i386 twins have to be fetched at their installed
# amd64 version. apt and dpkg are stood in for by the functions below.
set -uo pipefail
source "$(dirname "$0")/../../scripts/apt-suites.sh"
t=$(mktemp -d)
trap 'rm -rf "$t"' EXIT
failures=0
check() {  # check WHAT EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then
    printf 'FAILED: %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"
    failures=$((failures + 1))
  fi
}

# What apt-get update printed on a mirror in the middle of a sync.
cat >"$t/midsync.log" <<'LOG'
Hit:1 http://deb.example/debian bookworm InRelease
Get:3 http://deb.example/debian-security bookworm-security InRelease [34.8 kB]
Err:4 http://deb.example/debian-security bookworm-security/main i386 Packages
  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 192.0.2.1 80]
E: Failed to fetch http://deb.example/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 192.0.2.1 80]
E: Some index files failed to download. They have been ignored, or old ones used instead.
LOG
check "a failed security index sets that suite aside" "bookworm-security" "$(movetrail_failed_suites "$t/midsync.log")"
grep -v 'Failed to fetch' "$t/midsync.log" >"$t/whole.log"
check "with every index fetched, nothing is set aside" "" "$(movetrail_failed_suites "$t/whole.log")"
sed 's#debian-security/dists/bookworm-security#debian/dists/bookworm#' "$t/midsync.log" >"$t/main.log"
check "the release's own suite is never set aside" "" "$(movetrail_failed_suites "$t/main.log" bookworm)"

movetrail_write_preferences "$t/prefs" <<<"bookworm-security"
check "the preferences entry sets the suite aside" \
  "Package: *|Pin: release n=bookworm-security|Pin-Priority: -1||" "$(tr '\n' '|' <"$t/prefs/zz-movetrail-set-aside.pref")"

# A machine with amd64 libssl3 from the set-aside suite (newer than the i386 side
# can have), an older zlib1g (apt moves it up with its twin), a library installed
# but not Multi-Arch "same", and one not installed.
fake_apt_cache() {
  case "$*" in
    *depends*) printf 'wine32:i386\n  Depends: libssl3:i386\nlibssl3:i386\nzlib1g:i386\nlibfoo:i386\nlibbar:i386\n<libvirtual:i386>\n' ;;
    *show*)
      printf 'Package: libssl3\nSource: openssl\nVersion: 3.0.22-1~deb12u2\nMulti-Arch: same\n\n'
      printf 'Package: zlib1g\nSource: zlib (1:1.2.13.dfsg-1)\nVersion: 1:1.2.13.dfsg-1\nMulti-Arch: same\n\n'
      printf 'Package: openssl\nVersion: 3.0.22-1~deb12u2\nMulti-Arch: foreign\n\n'
      printf 'Package: libcrypto-extra\nSource: openssl\nVersion: 3.0.22-1~deb12u2\nMulti-Arch: same\n\n'
      printf 'Package: libbar\nVersion: 9.0\n' ;;
    *policy*)
      printf 'libbar:i386:\n  Installed: (none)\n  Candidate: 1.0\n'
      printf 'libfoo:i386:\n  Installed: (none)\n  Candidate: 1.0\n'
      printf 'libssl3:i386:\n  Installed: (none)\n  Candidate: 3.0.20-1~deb12u2\n  Version table:\n     3.0.20-1~deb12u2 500\n'
      printf 'zlib1g:i386:\n  Installed: (none)\n  Candidate: 1:1.2.13.dfsg-1\n' ;;
  esac
}
fake_dpkg_query() {
  if [[ $* == *source:Package* ]]; then printf 'openssl\nopenssl\n'; return 0; fi
  printf 'libbar install ok installed foreign 9.0\n'
  printf 'libssl3 install ok installed same 3.0.22-1~deb12u2\n'
  printf 'zlib1g install ok installed same 1:1.2.12-1\n'
  echo "dpkg-query: no packages found matching libfoo:amd64" >&2
  return 1
}
MOVETRAIL_APT_CACHE=fake_apt_cache MOVETRAIL_DPKG_QUERY=fake_dpkg_query MOVETRAIL_APT_OPTS=()
check "only a twin newer than the i386 side can have is stranded" "libssl3 3.0.22-1~deb12u2" \
  "$(movetrail_stranded_twins wine32:i386 cmake)"
check "no i386 packages asked for, no twins" "" "$(movetrail_stranded_twins cmake)"

# The stranded twin's source keeps the set-aside suite, and every i386 package of
# that source is fetched at the version its amd64 side has.
check "the sources of the stranded twins" "openssl" "$(movetrail_sources_of <<<"libssl3 3.0.22-1~deb12u2")"
movetrail_keep_sources "$t/prefs" bookworm-security <<<"openssl"
check "the kept sources get the suite back" "Package: src:openssl|Pin: release n=bookworm-security|Pin-Priority: 500||" \
  "$(tr '\n' '|' <"$t/prefs/zz-movetrail-kept.pref")"
check "every i386 library of a kept source is fetched, no program" "libcrypto-extra 3.0.22-1~deb12u2|libssl3 3.0.22-1~deb12u2|" \
  "$(movetrail_twins_of_sources openssl wine32:i386 | tr '\n' '|')"

# The archive's pool holds the i386 build beside the amd64 one.
fake_apt_get() {
  printf "'http://deb.example/debian-security/pool/updates/main/o/openssl/libssl3_3.0.22-1~deb12u2_amd64.deb' libssl3_3.0.22-1~deb12u2_amd64.deb 2045 SHA256:00\n"
}
fake_fetch() {  # builds the package the pool would serve, for the version in $pool_version
  printf '%s\n' "${2%/*}" >>"$t/fetched-into"
  mkdir -p "$t/pkg/DEBIAN"
  printf 'Package: libssl3\nVersion: %s\nArchitecture: i386\nMaintainer: x <x@example.org>\nDescription: x\n' \
    "$pool_version" >"$t/pkg/DEBIAN/control"
  [[ $1 == */libssl3_3.0.22-1~deb12u2_i386.deb ]] && dpkg-deb -b "$t/pkg" "$2" >/dev/null
}
fake_chown() { printf '%s\n' "$*" >>"$t/chowned"; }
MOVETRAIL_APT_GET=fake_apt_get MOVETRAIL_FETCH=fake_fetch MOVETRAIL_CHOWN=fake_chown pool_version=3.0.22-1~deb12u2
check "the twin is fetched from the amd64 build's pool path" "$t/libssl3_3.0.22-1~deb12u2_i386.deb" \
  "$(movetrail_fetch_twin libssl3 3.0.22-1~deb12u2 "$t")"
# apt's own user may write the downloads folder and nothing else: the folder
# with the preferences and the copy that is installed stays the caller's.
check "the download goes to a folder of its own" "$t/downloads" "$(cat "$t/fetched-into")"
if id -u _apt >/dev/null 2>&1; then
  check "apt's user is given the downloads folder only" "_apt $t/downloads" "$(cat "$t/chowned")"
fi
check "nothing is left where apt's user writes" "" "$(ls -A "$t/downloads")"
pool_version=3.0.21-1
movetrail_fetch_twin libssl3 3.0.22-1~deb12u2 "$t" >/dev/null 2>&1
check "a file of another version is refused" "1" "$?"

# The set-up's one line says which suites are set aside, and that the i386 twins
# come from the pool without a signed index.
check "the line for a suite set aside" \
  "install-deps: the mirror did not serve every index of bookworm-security; installing from the other suites only" \
  "$(movetrail_set_aside_note bookworm-security "" "")"
check "the line for twins fetched from the pool" \
  "install-deps: the mirror did not serve every index of bookworm-security; installing from the other suites only, but for the sources of openssl, whose i386 packages (libcrypto-extra libssl3) are fetched from the archive's pool at the version their amd64 side has, without a signed index (checked for name, version and architecture)" \
  "$(movetrail_set_aside_note bookworm-security openssl $'libcrypto-extra 3.0.22-1~deb12u2\nlibssl3 3.0.22-1~deb12u2')"

[ "$failures" -eq 0 ] && echo "apt suites: all passed"
exit $((failures > 0))

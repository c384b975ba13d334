#!/usr/bin/env bash
# Installs what building, running and testing Movetrail needs on a Debian 12 machine.
# Quick when everything is already there: it only checks.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

packages=(
  cmake make ninja-build nasm dpkg-dev g++
  g++-mingw-w64-i686-posix
  wine wine32:i386
  xvfb xauth x11-utils
  fonts-ipafont-gothic locales
  gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-good:i386
  gstreamer1.0-plugins-bad:i386 gstreamer1.0-libav:i386
  cups cups-client cups-bsd libcups2:i386 ghostscript poppler-utils
  ffmpeg imagemagick zip unzip xdotool python3
  googletest clang libclang-rt-14-dev libjpeg62-turbo-dev
)

# The Debian archive this machine already uses (its own mirror, if it has one): the
# address in the first source entry for the release's main suite. No address is
# written into this script.
debian_archive() {
  local uri
  uri=$(awk '
    /^[[:space:]]*URIs:/ { u = $2 }
    /^[[:space:]]*Suites:/ { for (i = 2; i <= NF; i++) if ($i == "bookworm" && u != "") { print u; exit } }
    /^[[:space:]]*$/ { u = "" }' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n 1)
  if [ -z "$uri" ]; then
    uri=$(awk '$1 == "deb" { for (i = 2; i <= NF; i++) if ($i ~ /:\/\//) { if ($(i+1) == "bookworm") { print $i; exit } } }' \
      /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null | head -n 1)
  fi
  if [ -z "$uri" ]; then
    echo "install-deps: no Debian bookworm source is configured in /etc/apt" >&2
    return 1
  fi
  printf '%s\n' "$uri"
}

# A mirror in the middle of a sync serves index files that do not match their
# release file. Try again; if one index still fails, go on with the others (apt
# keeps them), and install from a consistent choice of suites (apt-suites.sh).
source "$(dirname "${BASH_SOURCE[0]}")/apt-suites.sh"
work=$(mktemp -d)
chmod 755 "$work"
trap 'rm -rf "$work"' EXIT
apt_update() {
  local try
  for try in 1 2 3; do
    if $SUDO apt-get update -q 2>&1 | tee "$work/update.log"; then return 0; fi
    [ "$try" -lt 3 ] && sleep $((try * 10))
  done
  echo "install-deps: apt-get update failed for some index; going on with the rest" >&2
}

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  need_update=1
fi
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

# Source entries, for building libjpeg-turbo for the target from Debian's own source.
if ! grep -rqs 'deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/ ; then
  archive=$(debian_archive)
  $SUDO tee /etc/apt/sources.list.d/movetrail-src.sources >/dev/null <<SRC
Types: deb-src
URIs: $archive
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  need_update=1
fi

if [ ${#missing[@]} -gt 0 ] || [ -n "${need_update:-}" ]; then
  apt_update
fi
MOVETRAIL_APT_OPTS=()
twins=()
if [ ${#missing[@]} -gt 0 ] && [ -s "$work/update.log" ]; then
  aside=$(movetrail_failed_suites "$work/update.log")
  if [ -n "$aside" ]; then
    movetrail_write_preferences "$work/preferences.d" <<<"$aside"
    MOVETRAIL_APT_OPTS=(-o "Dir::Etc::PreferencesParts=$work/preferences.d")
    stranded=$(movetrail_stranded_twins "${missing[@]}")
    if [ -n "$stranded" ]; then
      sources=$(movetrail_sources_of <<<"$stranded")
      for suite in $aside; do movetrail_keep_sources "$work/preferences.d" "$suite" <<<"$sources"; done
      stranded=$(movetrail_twins_of_sources "$sources" "${missing[@]}")
    fi
    movetrail_set_aside_note "$aside" "${sources:-}" "$stranded"
    while read -r name version; do
      [ -n "$name" ] || continue
      file=$(movetrail_fetch_twin "$name" "$version" "$work") || exit 1
      twins+=("$file")
    done <<<"$stranded"
  fi
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get "${MOVETRAIL_APT_OPTS[@]}" install -y -q --no-install-recommends "${missing[@]}" "${twins[@]}"
fi

# The Japanese locale the program runs under (ANSI code page 932 in Wine).
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  if ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen
fi

# Some machines (sandboxed kernels) cannot execute 32-bit Linux programs, which
# Wine's 32-bit loader is. There, run them through qemu's user-mode emulator,
# registered with binfmt_misc. qemu 7 cannot map Wine's fixed areas, so the
# emulator comes from bookworm-backports.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  if ! qemu-i386 --version 2>/dev/null | grep -qE 'version ([89]|[1-9][0-9])\.'; then
    if ! grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/; then
      archive=$(debian_archive)
      $SUDO tee /etc/apt/sources.list.d/movetrail-backports.sources >/dev/null <<SRC
Types: deb
URIs: $archive
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    fi
    apt_update
    $SUDO apt-get install -y -q --no-install-recommends -t bookworm-backports qemu-user
  fi
  if [ ! -e /proc/sys/fs/binfmt_misc/register ]; then
    $SUDO mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  fi
  if [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:' \
      | $SUDO tee /proc/sys/fs/binfmt_misc/register >/dev/null
  fi
  /usr/lib/wine/wine --version >/dev/null
fi

#!/usr/bin/env bash
# Installs what building, running and testing Movetrail needs on a Debian 12 machine.
# Quick when everything is already there: it only checks.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

packages=(
  cmake make ninja-build nasm dpkg-dev
  g++-mingw-w64-i686-posix
  wine wine32:i386
  xvfb xauth x11-utils
  fonts-ipafont-gothic locales
  gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-good:i386
  gstreamer1.0-plugins-bad:i386 gstreamer1.0-libav:i386
  cups cups-client cups-bsd libcups2:i386 ghostscript poppler-utils
  ffmpeg imagemagick zip
  googletest
)

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
  $SUDO tee /etc/apt/sources.list.d/movetrail-src.sources >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  need_update=1
fi

if [ ${#missing[@]} -gt 0 ] || [ -n "${need_update:-}" ]; then
  $SUDO apt-get update -q
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The Japanese locale the program runs under (ANSI code page 932 in Wine).
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  if ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen
fi

#!/usr/bin/env bash
# Cross-builds libjpeg-turbo (with its SIMD code) for 32-bit Windows from Debian's
# source package, into build/deps/i686. Does nothing when it is already there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps="$root/build/deps"
prefix="$deps/i686"
if [ -f "$prefix/lib/libjpeg.a" ] && [ -f "$prefix/include/jpeglib.h" ]; then
  exit 0
fi
mkdir -p "$deps/src"
cd "$deps/src"
srcdir=$(find . -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n 1)
if [ -z "$srcdir" ]; then
  apt-get source --download-only libjpeg-turbo >/dev/null 2>&1 || apt-get source --download-only libjpeg-turbo
  dsc=$(ls libjpeg-turbo_*.dsc | head -n 1)
  dpkg-source --no-check -x "$dsc" >/dev/null
  srcdir=$(find . -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n 1)
fi
rm -rf "$deps/build-jpeg"
cmake -Wno-dev -S "$srcdir" -B "$deps/build-jpeg" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_CROSSCOMPILING_EMULATOR= \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON \
  -DWITH_JPEG8=OFF -DWITH_ARITH_DEC=ON -DWITH_ARITH_ENC=ON \
  -DCMAKE_ASM_NASM_COMPILER=nasm >/dev/null
cmake --build "$deps/build-jpeg" --target jpeg-static >/dev/null
cmake --install "$deps/build-jpeg" >/dev/null 2>&1 || true
# The install target may want programs that were not built; copy what is needed.
mkdir -p "$prefix/lib" "$prefix/include"
cp "$deps/build-jpeg/libjpeg.a" "$prefix/lib/libjpeg.a"
cp "$srcdir/jpeglib.h" "$srcdir/jmorecfg.h" "$srcdir/jerror.h" "$deps/build-jpeg/jconfig.h" "$prefix/include/"
echo "libjpeg-turbo built into $prefix"

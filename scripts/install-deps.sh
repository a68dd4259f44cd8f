#!/usr/bin/env bash
# Installs what the build and the tests need from Debian's packages, once.
set -euo pipefail
packages=(cmake make g++ clang clang-format python3 python3-numpy
  gcc-mingw-w64-i686 g++-mingw-w64-i686 gcc-mingw-w64-x86-64 g++-mingw-w64-x86-64
  wine wine64 xvfb xauth x11-utils imagemagick xdotool googletest
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 time locales
  pandoc llvm lld
  qemu-system-x86 debootstrap e2fsprogs)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

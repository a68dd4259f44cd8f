#!/usr/bin/env bash
# Installs what the build and the tests need from Debian's packages, once.
# Packages are installed without their recommendations, so everything a test
# relies on is named here, including what Wine and clang only recommend.
set -euo pipefail
packages=(cmake make g++ clang clang-format python3 python3-numpy
  gcc-mingw-w64-i686 g++-mingw-w64-i686 gcc-mingw-w64-x86-64 g++-mingw-w64-x86-64
  wine wine64 xvfb xauth x11-utils imagemagick xdotool googletest
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 time locales
  # clang's AddressSanitizer and UBSan runtimes, for the sanitizer build.
  libclang-rt-14-dev
  # Liberation Sans, which Wine draws Arial and the dialogs' MS Sans Serif
  # with: the text-width, splash and About box tests. Without it Wine falls
  # back to DejaVu Sans, whose cell is a pixel short at larger sizes. And
  # Wine's own fonts, which a standard Wine installation has.
  fonts-liberation fonts-wine
  # rsvg-convert renders the residual map of ortk-fit in its test.
  librsvg2-bin
  # ortk-fit reads its JSON with nlohmann-json; GDAL's gdaltransform checks the
  # world files, inverses and thin-plate spline of ortk-fit.
  nlohmann-json3-dev gdal-bin
  # The release package: its reference page and the MSVC import libraries.
  pandoc llvm lld
  # The emulated 32-bit machine: its image is built with debootstrap and mkfs.
  qemu-system-x86 qemu-utils debootstrap e2fsprogs)
# One query for all: quick when everything is there.
declare -A installed
while read -r name status; do
  [ "$status" = ii ] && installed[$name]=1
done < <(dpkg-query -W -f='${Package} ${db:Status-Abbrev}\n' "${packages[@]}" 2>/dev/null)
missing=()
for p in "${packages[@]}"; do
  [ -n "${installed[$p]:-}" ] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

#!/bin/bash
# Makes the packages into dist/: the Windows disc kit
# Pomvarin-<version>-disc-kit.zip from the 32-bit build (build/windows) and
# the Debian package pomvarin_<version>_amd64.deb from the Linux build
# (build/linux). Only the shipped programs are built. Every time stamp in
# the packages is the commit's, so two runs on one commit give the same
# bytes.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH

# make_package PRESET FILE_PATTERN: builds the preset's shipped programs
# and packs them into dist/.
make_package() {
  local preset=$1 pattern=$2 packages=build/$1/packages
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target pomvarin_shipped
  rm -rf "$packages"
  cpack --config "build/$preset/CPackConfig.cmake" -B "$packages" >/dev/null
  cp "$packages"/$pattern dist/
}

mkdir -p dist
rm -f dist/Pomvarin-*-disc-kit.zip dist/pomvarin_*.deb
make_package windows 'Pomvarin-*-disc-kit.zip'
make_package linux 'pomvarin_*_amd64.deb'
ls dist/*

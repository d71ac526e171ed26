#!/bin/bash
# Installs what building and testing Pomvarin needs on Debian 12, as root:
# CMake and Ninja, GoogleTest, the MinGW-w64 i686 cross-compiler, Wine (32-bit),
# the icon tools, clang with its sanitizer and fuzzer runtimes and valgrind for
# the hostile-input checks, lspci for the checks of pomvarin-check's captures,
# and Python with an X server and its tools for the end-to-end suite, its
# picture of the warning box and the JSON check. Does nothing when everything
# is there already.
set -euo pipefail

packages=(
  cmake ninja-build g++ libgtest-dev googletest
  g++-mingw-w64-i686-posix mingw-w64-tools
  wine wine32:i386
  icoutils netpbm
  clang libclang-rt-14-dev valgrind
  pciutils python3 xvfb xdotool x11-apps
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"

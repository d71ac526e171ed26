#!/bin/bash
# Installs what building and testing Pomvarin needs on Debian 12, as root:
# CMake and Ninja, GoogleTest, the MinGW-w64 cross-compilers (i686 for the
# shipped programs, x86-64 for their 64-bit test twin), Wine (64-bit always,
# 32-bit where the machine runs it), the icon tools, clang with its sanitizer
# and fuzzer runtimes and valgrind for the hostile-input checks, lspci for
# the checks of pomvarin-check's captures, Python with an X server and its
# tools for the end-to-end suite and its picture of the warning box,
# Chromium to open pomvarin-check's HTML page headless, the installer
# builders whose setups the check recognises (nsis, wixl), and
# what making and checking the packages takes (pandoc for the manual pages,
# groff for the disc author's guide, dpkg-dev, lintian, unzip, man-db, git
# for the fresh clones, osslsigncode and openssl to sign the disc kit's
# programs), and stress-ng, which keeps the processor busy for
# scripts/stress-tests.sh.
#
# Quiet when everything is there already; otherwise one line for each step,
# with apt's own output kept back unless the install fails. It copes with a
# registry whose indexes are out of step: a failing index is retried once and
# then done without, and an install that cannot be resolved is tried once
# more preferring the release's own suite.
set -uo pipefail

packages=(
  cmake ninja-build g++ libgtest-dev googletest
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64
  icoutils netpbm
  clang libclang-rt-14-dev valgrind
  pciutils python3 xvfb xdotool x11-apps chromium
  nsis wixl
  genisoimage xorriso mtools p7zip-full
  git unzip dpkg-dev lintian pandoc groff-base man-db osslsigncode openssl
  stress-ng
)
# Only Wine's 32-bit loader needs it, and some machines cannot run that.
wine32=wine32:i386

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'; }

missing=()
for package in "${packages[@]}"; do
  installed "$package" || missing+=("$package")
done
installed "$wine32" || need_wine32=yes
[ ${#missing[@]} -eq 0 ] && [ -z "${need_wine32:-}" ] && exit 0

say() { echo "install-deps: $*"; }
log=$(mktemp)
trap 'rm -f "$log"' EXIT
show_log() { tail -n 20 "$log" | sed 's/^/  apt: /'; }
export DEBIAN_FRONTEND=noninteractive

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  say "enabled the i386 architecture (for wine32)"
fi

if apt-get update -q >"$log" 2>&1; then
  say "package lists updated"
else
  say "apt-get update failed ($(grep -m 1 '^E:' "$log")); trying once more in 5 s"
  sleep 5
  if apt-get update -q >"$log" 2>&1; then
    say "package lists updated"
  else
    say "apt-get update failed again; going on with the package lists that arrived"
  fi
fi

# Installs the packages named; where apt cannot resolve them, once more with
# the release's own suite preferred, which brings libraries that came from
# another suite up to the versions every architecture's list has.
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
install() {
  if apt-get install -y -q --no-install-recommends "$@" >"$log" 2>&1; then
    say "installed $*"
    return 0
  fi
  say "apt-get install could not install $* ($(grep -m 1 '^E:' "$log")); trying again preferring $codename's own suite"
  if apt-get install -y -q --no-install-recommends -t "$codename" "$@" >"$log" 2>&1; then
    say "installed $* (preferring $codename)"
    return 0
  fi
  return 1
}

# wine32 goes in with the rest: its i386 libraries must be the very versions
# of their amd64 twins, so both are resolved in one call. Installed apart,
# the amd64 ones come from the newest suite, whose i386 index may be the one
# that did not arrive, and -t never moves an installed package down.
wanted=("${missing[@]}")
[ -n "${need_wine32:-}" ] && wanted+=("$wine32")
install "${wanted[@]}" && exit 0
cp "$log" "$log.all"
trap 'rm -f "$log" "$log.all"' EXIT
if [ -z "${need_wine32:-}" ] ||
   { [ ${#missing[@]} -ne 0 ] && ! install "${missing[@]}"; }; then
  say "FAILED to install ${missing[*]}:"
  show_log
  exit 1
fi
# Where 32-bit programs cannot run anyway, the 32-bit suite is skipped and
# says so; elsewhere a missing wine32 is a fault.
if reason=$(bash "$(dirname "$0")/host-32bit.sh"); [ $? -eq 1 ]; then
  say "could not install $wine32, which this machine has no use for: $reason"
else
  say "FAILED to install $wine32:"
  mv "$log.all" "$log"
  show_log
  exit 1
fi

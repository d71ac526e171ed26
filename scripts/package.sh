#!/bin/bash
# Makes the packages into dist/: the Windows disc kit
# Pomvarin-<version>-disc-kit.zip from the 32-bit build (build/windows) and
# the Debian package pomvarin_<version>_amd64.deb from the Linux build
# (build/linux). Only the shipped programs are built. Every time stamp in
# the packages is the commit's, so two runs on one commit give the same
# bytes.
#
# Given a code-signing certificate, the kit's Pomvarin.exe and
# PomvarinCheck.exe are signed with Authenticode (osslsigncode); see
# docs/signing.md. Without one the kit is built unsigned, as always.
#
#   package.sh [--pkcs12 FILE] [--password-file FILE] [--timestamp URL]
#
# FILE is a PKCS#12 file with the certificate and its private key; the
# environment may name them instead: POMVARIN_SIGN_PKCS12,
# POMVARIN_SIGN_PASSWORD (the password itself) or
# POMVARIN_SIGN_PASSWORD_FILE, POMVARIN_SIGN_TIMESTAMP (an RFC 3161
# time-stamp server, optional).
set -euo pipefail
usage() {
  echo "usage: $0 [--pkcs12 FILE] [--password-file FILE] [--timestamp URL]" >&2
  exit 2
}
pkcs12=${POMVARIN_SIGN_PKCS12:-}
password_file=${POMVARIN_SIGN_PASSWORD_FILE:-}
timestamp=${POMVARIN_SIGN_TIMESTAMP:-}
while [ $# -gt 0 ]; do
  case $1 in
    --pkcs12) [ $# -ge 2 ] || usage; pkcs12=$2; shift 2 ;;
    --password-file) [ $# -ge 2 ] || usage; password_file=$2; shift 2 ;;
    --timestamp) [ $# -ge 2 ] || usage; timestamp=$2; shift 2 ;;
    *) usage ;;
  esac
done
if [ -n "$pkcs12" ]; then
  [ -r "$pkcs12" ] || { echo "package.sh: cannot read the certificate $pkcs12" >&2; exit 2; }
  pkcs12=$(readlink -f "$pkcs12")
  # The password reaches osslsigncode in a file only this user can read,
  # never on a command line that other users could see.
  secrets=$(mktemp -d)
  trap 'rm -rf "$secrets"' EXIT
  if [ -n "$password_file" ]; then
    [ -r "$password_file" ] || { echo "package.sh: cannot read the password file $password_file" >&2; exit 2; }
    cp "$password_file" "$secrets/password"
  else
    printf '%s' "${POMVARIN_SIGN_PASSWORD:-}" >"$secrets/password"
  fi
  password_file=$secrets/password
elif [ -n "$password_file$timestamp" ]; then
  echo "package.sh: a password or time-stamp server without a certificate (--pkcs12)" >&2
  exit 2
fi
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
  # Only the disc kit's signing step (packaging/sign-kit.cmake) reads these.
  POMVARIN_SIGN_PKCS12=$pkcs12 POMVARIN_SIGN_PASSWORD_FILE=$password_file \
    POMVARIN_SIGN_TIMESTAMP=$timestamp \
    cpack --config "build/$preset/CPackConfig.cmake" -B "$packages" >/dev/null
  cp "$packages"/$pattern dist/
}

mkdir -p dist
rm -f dist/Pomvarin-*-disc-kit.zip dist/pomvarin_*.deb
make_package windows 'Pomvarin-*-disc-kit.zip'
make_package linux 'pomvarin_*_amd64.deb'
ls dist/*

#!/bin/bash
# The Wine prefix of a test run: "start PREFIX LOADER" makes it when missing
# and keeps a server running for the run; "stop PREFIX LOADER" ends that
# server. LOADER is Wine's 32-bit or 64-bit loader, named in full: the wine
# commands on PATH pick one of their own.
set -eu
if [ $# -ne 3 ]; then
  echo "usage: $0 start|stop PREFIX LOADER" >&2
  exit 2
fi
command=$1 loader=$3
# Where 64-bit Wine is installed too, the 32-bit loader would make a 64-bit
# prefix, one without Windows XP; the 32-bit build gets a 32-bit prefix.
case $loader in
  *64) arch=win64 ;;
  *) arch=win32 ;;
esac
export WINEPREFIX=$2 WINEARCH=$arch WINEDEBUG=-all LC_ALL=C.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
case $command in
  start)
    # The server outlives this script: it must not hold the caller's output
    # open, or CTest would wait for it.
    # A prefix of the other word size, left by an earlier run, is made anew.
    if ! grep -qx "#arch=$arch" "$WINEPREFIX/system.reg" 2>/dev/null; then
      rm -rf "$WINEPREFIX"
      "$loader" wineboot --init </dev/null >"$WINEPREFIX.log" 2>&1
      wineserver --wait
    fi
    # A server left by an interrupted run would refuse the new one.
    wineserver --kill 2>/dev/null || true
    wineserver --persistent </dev/null >>"$WINEPREFIX.log" 2>&1
    # Wine's own services start with the first program and live as long as
    # the server; start them here, away from any test's output.
    "$loader" cmd /c exit </dev/null >>"$WINEPREFIX.log" 2>&1
    ;;
  stop)
    wineserver --kill || true
    ;;
  *)
    echo "usage: $0 start|stop PREFIX LOADER" >&2
    exit 2
    ;;
esac

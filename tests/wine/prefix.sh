#!/bin/bash
# The Wine prefix of a test run: "start PREFIX" makes it when missing and
# keeps a server running for the run; "stop PREFIX" ends that server.
set -eu
command=$1
export WINEPREFIX=$2 WINEDEBUG=-all LC_ALL=C.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
case $command in
  start)
    # The server outlives this script: it must not hold the caller's output
    # open, or CTest would wait for it.
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      wineboot --init </dev/null >"$WINEPREFIX.log" 2>&1
      wineserver --wait
    fi
    wineserver --persistent </dev/null >>"$WINEPREFIX.log" 2>&1
    # Wine's own services start with the first program and live as long as
    # the server; start them here, away from any test's output.
    wine cmd /c exit </dev/null >>"$WINEPREFIX.log" 2>&1
    ;;
  stop)
    wineserver --kill || true
    ;;
  *)
    echo "usage: $0 start|stop PREFIX" >&2
    exit 2
    ;;
esac

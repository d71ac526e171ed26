#!/bin/bash
# Runs a cross-built program under Wine, quietly and with a fixed locale (the
# ANSI code page follows it). The caller names the prefix in WINEPREFIX.
set -eu
: "${WINEPREFIX:?WINEPREFIX names the Wine prefix to run in}"
export WINEPREFIX WINEDEBUG=-all LC_ALL=C.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
program=$(readlink -f "$1")
shift
exec wine "$program" "$@"

#!/bin/bash
# Runs a cross-built program under Wine, quietly and with a fixed locale (the
# ANSI code page follows it): wine-run.sh LOADER PROGRAM [ARGUMENTS]. The
# loader is Wine's 32-bit or 64-bit one, named by the build. The caller names
# the prefix in WINEPREFIX.
set -eu
: "${WINEPREFIX:?WINEPREFIX names the Wine prefix to run in}"
export WINEPREFIX WINEDEBUG=-all LC_ALL=C.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
loader=$1
program=$(readlink -f "$2")
shift 2
exec "$loader" "$program" "$@"

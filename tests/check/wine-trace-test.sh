#!/bin/bash
# PomvarinCheck.exe --trace under Wine: the real Pomvarin.exe beside it, run
# as a debugger runs it, in a prefix of its own whose null graphics driver
# makes the warning box real and modal without a display.
# Usage: wine-trace-test.sh PATH_TO_PomvarinCheck.exe PATH_TO_warning_box.exe PREFIX
# POMVARIN_WINE names the build's Wine loader.
set -uo pipefail
source "$(dirname "$0")/../linux/lib.sh"
: "${POMVARIN_WINE:?POMVARIN_WINE names the Wine loader of the build}"
exe=$(readlink -f "$1")
box=$(readlink -f "$2")
export WINEPREFIX=$3 WINEDEBUG=-all LC_ALL=C.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
prefix_script=$(dirname "$0")/../wine/prefix.sh
work=$(mktemp -d)
wine() { "$POMVARIN_WINE" "$@"; }
# The prefix's server is ended, and waited for, before the folders its
# programs were given are removed.
trap 'bash "$prefix_script" stop "$WINEPREFIX" "$POMVARIN_WINE"; rm -rf "$work"' EXIT
# prefix.sh says what failed.
prefix() {
  bash "$prefix_script" "$1" "$WINEPREFIX" "$POMVARIN_WINE" && return 0
  echo "FAILED: the test's own Wine prefix: prefix.sh $1 (above)" >&2
  exit 1
}

if [ ! -f "$WINEPREFIX/null-graphics" ]; then
  prefix start
  quietly wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f || {
    echo "FAILED: the null graphics driver could not be set" >&2
    exit 1
  }
  prefix stop
  : >"$WINEPREFIX/null-graphics"
fi
prefix start

# Wine's console writes CR LF; the comparisons are on lines.
run() { wine "$exe" "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; }
windows_path() { echo "Z:${1//\//\\}"; }
launcher=$(windows_path "$(dirname "$exe")/Pomvarin.exe")

# 1. A match: the setup starts for real, and the trace is the launcher's,
#    line for line, then its exit status.
device_key='HKLM\System\CurrentControlSet\Enum\PCI\VEN_C0DE&DEV_0001&SUBSYS_00000000&REV_00\0'
quietly wine reg add "$device_key" /v ClassGUID /d '{4d36e97d-e325-11ce-bfc1-08002be10318}' /f &&
  quietly wine reg add "$device_key" /v HardwareID /t REG_MULTI_SZ \
    /d 'PCI\VEN_C0DE&DEV_0001&SUBSYS_00000000&REV_00' /f ||
  fail "cannot add the device"
disc=$work/disc
mkdir -p "$disc/Drivers"
printf 'echo started>"%s"\r\n' "$(windows_path "$work/started")" >"$disc/Drivers/setup.bat"
printf '[PomvarinInfo]\r\nVendorCount=1\r\n[VendorInfo1]\r\nVenID=VEN_C0DE\r\nSetupFileRootDir=\\Drivers\r\nSetupFileName=setup.bat\r\nSilentInstall=setup.bat /q\r\n' \
  >"$disc/Pomvarin.ini"
run --trace "$(windows_path "$disc")" -- /s >"$work/traced.txt"
status=$?
[ "$status" -eq 0 ] || fail "--trace with a match: exit status $status"
cat >"$work/expected.txt" <<EXPECTED
Running $launcher in $(windows_path "$disc") with "/s"
trace: /s
trace: VEN_C0DE
trace: Ven_c0de
trace: $(windows_path "$disc")\\Drivers\\setup.bat
trace: Slience Install
trace: $(windows_path "$disc")\\Drivers
Exit status: 0
EXPECTED
diff -u "$work/expected.txt" "$work/traced.txt" || fail "--trace with a match: not the launcher's trace"
wait_for_lines "$work/started" 1 || fail "--trace with a match: the setup did not start"

# 2. No match: the box appears, and the run waits until it is closed.
mkdir "$work/nothing"
printf '[PomvarinInfo]\r\nVendorCount=1\r\n[VendorInfo1]\r\nVenID=VEN_NONE\r\n' >"$work/nothing/Pomvarin.ini"
(cd "$work/nothing" && run --trace >"$work/boxed.txt") &
traced=$!
shown=$(wine "$box" 2>&1 | tr -d '\r')
[ "$shown" = "No Matched Device Driver!" ] || fail "--trace with no match: no box: $shown"
# While its box is up, the run goes on.
kill -0 "$traced" 2>/dev/null && ! grep -q '^Exit status' "$work/boxed.txt" ||
  fail "--trace ended before its box was closed: $(cat "$work/boxed.txt")"
quietly wine "$box" --close || fail "the box could not be closed"
wait "$traced"
status=$?
[ "$status" -eq 0 ] || fail "--trace with the box: exit status $status"
printf 'trace: VEN_NONE\ntrace: Ven_none\nExit status: 0\n' >"$work/expected.txt"
tail -n 3 "$work/boxed.txt" | diff -u "$work/expected.txt" - || fail "--trace with the box: not the launcher's trace"

# 3. No Pomvarin.exe beside it, and the help's own Windows switch.
mkdir "$work/alone"
cp "$exe" "$work/alone/"
wine "$work/alone/${exe##*/}" --trace 2>&1 | tr -d '\r' >"$work/alone.txt"
[ "${PIPESTATUS[0]}" -eq 2 ] || fail "--trace without a launcher: exit status not 2"
grep -qF 'the launcher is not found: there is no' "$work/alone.txt" ||
  fail "--trace without a launcher: $(cat "$work/alone.txt")"
run '/?' | grep -q -- '--trace \[FOLDER\] \[-- ARGUMENTS\]' || fail "/? shows no help"

wine reg delete "$device_key" /f >/dev/null 2>&1
[ "$failures" -eq 0 ]

#!/bin/bash
# A genuine NSIS installer under Wine, started as the launcher would start
# it with the silent parameters: what PomvarinCheck.exe says of " /S" and of
# " /s", and what the installer then does. " /S" installs without a window;
# " /s" is no switch of NSIS (they are case-sensitive), so the installer
# opens its window, which cannot wait on this machine without a display:
# it ends with errorlevel -1 and installs nothing.
# Usage: wine-setup-kinds-test.sh PATH_TO_PomvarinCheck.exe NSIS_TARGET
# NSIS_TARGET is x86-unicode or amd64-unicode, the build's word size.
# WINEPREFIX names a prefix whose server is running (the "wine" fixture),
# POMVARIN_WINE the build's Wine loader.
set -uo pipefail
here=$(dirname "$0")
source "$here/../linux/lib.sh"
source "$here/installers.sh"
: "${WINEPREFIX:?WINEPREFIX names the Wine prefix to run in}"
: "${POMVARIN_WINE:?POMVARIN_WINE names the Wine loader of the build}"
export WINEDEBUG=-all LC_ALL=C.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
# No window can be shown and waited on: the run of " /s" ends at once.
unset DISPLAY WAYLAND_DISPLAY
exe=$(readlink -f "$1")
target=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
wine() { "$POMVARIN_WINE" "$@"; }

disc=$work/disc
mkdir -p "$disc/Drivers/Probe"
installer=$disc/Drivers/Probe/setup.exe
nsis_installer "$installer" "$target" || fail "makensis failed"
printf 'PCI\\VEN_8086&DEV_100E\r\n' >"$work/pc.txt"

for parameters in /s /S; do
  printf '[PomvarinInfo]\r\nVendorCount=1\r\n[VendorInfo1]\r\nVenID=VEN_8086\r\nSetupFileRootDir=\\Drivers\\Probe\r\nSetupFileName=setup.exe\r\nSilentInstall=setup.exe %s\r\n' \
    "$parameters" >"$disc/Pomvarin.ini"
  wine "$exe" "$disc" --devices "$work/pc.txt" | tr -d '\r' >"$work/report-${parameters#/}.txt"
  status=${PIPESTATUS[0]}
  warned=no
  grep -qF '(NSIS installer) is not silenced by " /s"' "$work/report-${parameters#/}.txt" && warned=yes
  grep -qE '^  silent:   .*\\Drivers\\Probe\\setup\.exe with " '"$parameters"'" \(NSIS installer\)$' \
    "$work/report-${parameters#/}.txt" ||
    fail "$parameters: the setup's kind is not named: $(cat "$work/report-${parameters#/}.txt")"

  # The installer itself, with the parameters the launcher would hand it;
  # bounded, should a window come up after all.
  rm -f "$disc/Drivers/Probe/installed.txt"
  timeout 300 "$POMVARIN_WINE" "$installer" "$parameters" </dev/null >/dev/null 2>&1
  ran=$?
  [ "$ran" -eq 124 ] && echo "$parameters: the installer had not ended after 300 s: stopped"
  installed=no
  [ -f "$disc/Drivers/Probe/installed.txt" ] && installed=yes
  echo "$parameters: check status $status, warned $warned; installer status $ran, installed $installed"
  case $parameters in
    /S)
      # SetErrorLevel 3010, of which Linux sees the low byte: 194.
      [ "$warned" = no ] && [ "$status" -eq 0 ] ||
        fail "/S: the check warned (status $status): $(cat "$work/report-S.txt")"
      [ "$installed" = yes ] && [ "$ran" -eq 194 ] ||
        fail "/S did not install silently (status $ran, installed $installed)" ;;
    /s)
      [ "$warned" = yes ] && [ "$status" -eq 1 ] ||
        fail "/s: no warning (status $status): $(cat "$work/report-s.txt")"
      [ "$installed" = no ] && [ "$ran" -ne 194 ] && [ "$ran" -ne 0 ] ||
        fail "/s installed silently (status $ran, installed $installed)" ;;
  esac
done

# The exit code itself is whole inside Windows: 3010 for a batch file.
printf '@"%%~dp0setup.exe" /S\r\n@echo %%ERRORLEVEL%%\r\n' >"$disc/Drivers/Probe/run.bat"
code=$(wine cmd /c "$(wine winepath -w "$disc/Drivers/Probe/run.bat" 2>"$work/errors.txt" | tr -d '\r')" \
         </dev/null 2>>"$work/errors.txt" | tr -d '\r' | tail -n 1)
[ "$code" = 3010 ] ||
  fail "a batch file sees errorlevel <$code> after /S, not 3010: $(tail -n 20 "$work/errors.txt")"

[ "$failures" -eq 0 ]

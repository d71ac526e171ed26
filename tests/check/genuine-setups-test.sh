#!/bin/bash
# pomvarin-check on a disc of genuine installers built here with Debian's
# builders (makensis, wixl): each is named by its kind, wrong silent
# parameters get their warnings and right ones none, and two Windows
# Installer packages matched on one machine get the collision warning.
# Usage: genuine-setups-test.sh PATH_TO_POMVARIN_CHECK
set -uo pipefail
here=$(dirname "$0")
source "$here/../linux/lib.sh"
source "$here/installers.sh"
check=$(readlink -f "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

disc=$work/disc
mkdir -p "$disc/Drivers/Nsis" "$disc/Drivers/Msi" "$disc/Drivers/Other"
nsis_installer "$disc/Drivers/Nsis/setup.exe" x86-unicode || fail "makensis failed"
msi_package "$disc/Drivers/Msi/setup.msi" || fail "wixl failed"
cp "$disc/Drivers/Msi/setup.msi" "$disc/Drivers/Other/setup.msi"
printf 'PCI\\VEN_8086&DEV_100E\nPCI\\VEN_10EC&DEV_8168\nPCI\\VEN_1AF4&DEV_1041\n' \
  >"$work/pc.txt"

# entry N VENID FOLDER FILE SILENT_PARAMETERS
entry() {
  printf '[VendorInfo%s]\nVenName=V%s\nVenID=%s\nSetupFileRootDir=\\Drivers\\%s\nSetupFileName=%s\nSilentInstall=%s %s\n' \
    "$1" "$1" "$2" "$3" "$4" "$4" "$5"
}
# write_disc NSIS_PARAMETERS MSI_PARAMETERS OTHER_VENID
write_disc() {
  { printf '[PomvarinInfo]\nVendorCount=3\n'
    entry 1 VEN_8086 Nsis setup.exe "$1"
    entry 2 VEN_10EC Msi setup.msi "$2"
    entry 3 "$3" Other setup.msi "$2"
  } >"$disc/Pomvarin.ini"
}

# 1. Wrong parameters, and two packages matched on one machine.
write_disc /s /quiet VEN_1AF4
"$check" "$disc" --devices "$work/pc.txt" >"$work/wrong.txt"
status=$?
[ "$status" -eq 1 ] || fail "wrong parameters: exit status $status, not 1"
for expected in \
  'silent:   '"$disc"'\Drivers\Nsis\setup.exe with " /s" (NSIS installer)' \
  '[VendorInfo1] SilentInstall: '"$disc"'\Drivers\Nsis\setup.exe (NSIS installer) is not silenced by " /s": its window would wait on an unattended machine (write SilentInstall=setup.exe /S)' \
  '[VendorInfo2] SilentInstall: '"$disc"'\Drivers\Msi\setup.msi (Windows Installer package) is started with " /quiet", without its no-restart switch' \
  '[VendorInfo2]: On this machine, in either mode: 2 setups that install through Windows Installer start at the same moment' \
  'fail with 1618, "another installation is already in progress"' \
  'starts beside 2 other setups without its no-restart switch'; do
  grep -qF -- "$expected" "$work/wrong.txt" ||
    fail "no line with <$expected> in: $(cat "$work/wrong.txt")"
done

# 2. The kinds in the JSON.
"$check" "$disc" --devices "$work/pc.txt" --json >"$work/wrong.json"
python3 - "$work/wrong.json" <<'PY' || fail "the JSON does not give the kinds"
import json, sys
report = json.load(open(sys.argv[1]))
kinds = [f["kind"] for e in report["entries"] for f in e["normal"] + e["silent"]]
assert kinds == ["nsis", "nsis", "windowsInstaller", "windowsInstaller",
                 "windowsInstaller", "windowsInstaller"], kinds
PY

# 3. The right parameters, and one package a machine: no warning at all.
write_disc /S '/qn /norestart' VEN_FFFF
"$check" "$disc" --devices "$work/pc.txt" >"$work/right.txt"
status=$?
[ "$status" -eq 0 ] ||
  fail "right parameters: exit status $status, not 0: $(cat "$work/right.txt")"

[ "$failures" -eq 0 ]

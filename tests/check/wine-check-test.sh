#!/bin/bash
# PomvarinCheck.exe as a user runs it: a console program under Wine, with
# Wine's real SetupAPI, profile reader and folders. (Its format and imports
# are checked without Wine, beside Pomvarin.exe's, in tests/exe.)
# Usage: wine-check-test.sh PATH_TO_PomvarinCheck.exe TESTDATA_FOLDER
# WINEPREFIX names a prefix whose server is running (the "wine" fixture),
# POMVARIN_WINE the build's Wine loader.
set -uo pipefail
source "$(dirname "$0")/../linux/lib.sh"
: "${WINEPREFIX:?WINEPREFIX names the Wine prefix to run in}"
: "${POMVARIN_WINE:?POMVARIN_WINE names the Wine loader of the build}"
export WINEDEBUG=-all LC_ALL=C.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
exe=$(readlink -f "$1")
testdata=$(readlink -f "$2")
work=$(mktemp -d)
wine() { "$POMVARIN_WINE" "$@"; }
trap 'wine reg delete "$device_key" /f >/dev/null 2>&1; rm -rf "$work"' EXIT

# Wine's console writes CR LF; the comparisons are on lines.
run() { wine "$exe" "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; }

# 1. A committed lspci capture replays as the committed --list capture of
#    the same machine.
run --list --devices "$testdata/lspci-vmm-nn.txt" >"$work/replayed.txt" ||
  fail "--list --devices: exit status $?"
diff -u "$testdata/list.txt" "$work/replayed.txt" ||
  fail "the lspci capture does not replay as the --list capture"

# 2. Devices written into the prefix's registry are listed with all their
#    hardware IDs; one without any is listed as "-".
device_key='HKLM\System\CurrentControlSet\Enum\PCI\VEN_C0DE&DEV_0001&SUBSYS_00000000&REV_00\0'
bare_key='HKLM\System\CurrentControlSet\Enum\PCI\VEN_C0DE&DEV_0002&SUBSYS_00000000&REV_00\0'
for key in "$device_key" "$bare_key"; do
  quietly wine reg add "$key" /v ClassGUID /d '{4d36e97d-e325-11ce-bfc1-08002be10318}' /f ||
    fail "cannot add $key"
done
quietly wine reg add "$device_key" /v HardwareID /t REG_MULTI_SZ \
  /d 'PCI\VEN_C0DE&DEV_0001&SUBSYS_00000000&REV_00\0PCI\VEN_C0DE&DEV_0001' /f ||
  fail "cannot set the hardware IDs"
run --list >"$work/present.txt" || fail "--list: exit status $?"
grep -qxF 'PCI\VEN_C0DE&DEV_0001&SUBSYS_00000000&REV_00 PCI\VEN_C0DE&DEV_0001' "$work/present.txt" ||
  fail "the registry device is not listed with both IDs: $(cat "$work/present.txt")"
grep -qx -- '-' "$work/present.txt" ||
  fail "the device without hardware IDs is not listed as -"
quietly wine reg delete 'HKLM\System\CurrentControlSet\Enum\PCI\VEN_C0DE&DEV_0002&SUBSYS_00000000&REV_00' /f ||
  fail "cannot delete the device without hardware IDs"

# 3. A disc against the present devices: the registry device matches and its
#    setup is found with the Windows path; the status says a warning.
mkdir -p "$work/disc/Drivers/Code"
: >"$work/disc/Drivers/Code/SETUP.exe"
printf '[PomvarinInfo]\r\nVendorCount=1\r\n[VendorInfo1]\r\nVenID=VEN_C0DE\r\nSetupFileRootDir=Drivers\\Code\r\nSetupFileName=setup.exe\r\nSilentInstall=setup.exe /q\r\n' \
  >"$work/disc/Pomvarin.ini"
run "$work/disc" >"$work/report.txt"
status=$?
[ "$status" -eq 1 ] || fail "a root without \\: exit status $status, not 1"
grep -qF 'device:   PCI\VEN_C0DE&DEV_0001&SUBSYS_00000000&REV_00' "$work/report.txt" ||
  fail "the registry device did not match: $(cat "$work/report.txt")"
grep -qF 'SetupFileRootDir: does not begin with "\"' "$work/report.txt" ||
  fail "no warning of the root without \\"
sed -i 's/SetupFileRootDir=Drivers/SetupFileRootDir=\\Drivers/' "$work/disc/Pomvarin.ini"
run "$work/disc" >"$work/report.txt"
status=$?
[ "$status" -eq 0 ] || fail "a clean disc: exit status $status, not 0: $(cat "$work/report.txt")"
grep -qE '^  silent:   Z:.*\\Drivers\\Code\\SETUP\.exe with " /q" \(program of unknown kind\)$' "$work/report.txt" ||
  fail "the silent setup is not reported: $(cat "$work/report.txt")"

# 4. The example fleet's --html page, named from where the command is given
#    (the check enters the disc's folder): written whole, with the text
#    report's three matched cells of nine; one that cannot be written (a
#    folder is in its place) gives status 2 and leaves nothing behind.
fleet=$(readlink -f "$(dirname "$0")/../../examples/fleet")
(cd "$work" && run "$fleet/disc" --devices "$fleet/machines" --html page.html) >"$work/fleet.txt"
status=$?
[ "$status" -eq 1 ] || fail "the example fleet with --html: exit status $status, not 1"
head -n 1 "$work/page.html" | grep -qx '<!DOCTYPE html>' || fail "no page written"
matched=$(grep -o '<td class=matched' "$work/page.html" | wc -l)
missed=$(grep -o '<td class=missed' "$work/page.html" | wc -l)
[ "$matched/$missed" = 3/6 ] || fail "the page's matrix: $matched matched, $missed not"
(cd "$work" && run "$fleet/disc" --devices "$fleet/machines" --html disc) \
  >/dev/null 2>"$work/error.txt"
status=$?
[ "$status" -eq 2 ] || fail "a page that cannot be written: exit status $status, not 2"
grep -q 'cannot write' "$work/error.txt" || fail "no message: $(cat "$work/error.txt")"
left=$(cd "$work" && ls -d disc.* 2>/dev/null)
[ -d "$work/disc" ] && [ -z "$left" ] || fail "a failed page over a folder left: $left"

# 5. --init writes a Pomvarin.ini that Windows' own profile reader reads
#    back: its CR LF line ends as written (the console's text mode would
#    double each CR), and the check of the written file finds the registry
#    device's setup.
rm "$work/disc/Pomvarin.ini"
printf '[Version]\r\nSignature="$Windows NT$"\r\n[Manufacturer]\r\nCode=Models\r\n[Models]\r\nd = i, PCI\\VEN_C0DE&DEV_0001\r\n' \
  >"$work/disc/Drivers/Code/code.inf"
wine "$exe" --init "$work/disc" >"$work/init.ini"
status=$?
# The empty setup is of no kind the check knows: a comment asks for its switches.
[ "$status" -eq 1 ] || fail "--init: exit status $status, not 1: $(cat "$work/init.ini")"
[ "$(grep -c $'\r$' "$work/init.ini")" -eq "$(wc -l <"$work/init.ini")" ] ||
  fail "--init's lines do not all end in CR LF"
! grep -q $'\r\r' "$work/init.ini" || fail "--init's CR doubled"
grep -qxF $'VenID=VEN_C0DE&DEV_0001\r' "$work/init.ini" ||
  fail "--init wrote no VenID for the package's device: $(cat "$work/init.ini")"
mv "$work/init.ini" "$work/disc/Pomvarin.ini"
run "$work/disc" >"$work/report.txt"
grep -qF 'device:   PCI\VEN_C0DE&DEV_0001&SUBSYS_00000000&REV_00' "$work/report.txt" &&
  grep -qE '^  normal:   Z:.*\\Drivers\\Code\\SETUP\.exe with no parameters ' "$work/report.txt" ||
  fail "the written file does not start the registry device's setup: $(cat "$work/report.txt")"

[ "$failures" -eq 0 ]

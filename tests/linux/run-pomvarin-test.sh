#!/bin/bash
# The Linux program as a user runs it: real folders, this machine's PCI
# devices, real setup scripts. Usage: run-pomvarin-test.sh PATH_TO_POMVARIN
set -uo pipefail
source "$(dirname "$0")/lib.sh"
program=$(readlink -f "$1")
work=$(mktemp -d)
# The setups the launcher starts outlive it: the folders are removed when
# they have ended.
hold_started
trap 'wait_for_started; rm -rf "$work"' EXIT

# 1. No Pomvarin.ini: the arguments, then the warning; exit status 0.
mkdir "$work/empty"
(cd "$work/empty" && "$program" -x) 2>"$work/empty.err"
status=$?
[ "$status" -eq 0 ] || fail "no configuration: exit status $status"
expected=$'-x\nWarning: No Matched Device Driver!'
[ "$(cat "$work/empty.err")" = "$expected" ] ||
  fail "no configuration: trace was <$(cat "$work/empty.err")>"

# 2. A vendor present on this machine: its setup started with the normal or
#    the silent parameters, from the current directory.
ven_id=$(first_pci_ven_id)
if [ -z "$ven_id" ]; then
  [ "$failures" -eq 0 ] || exit 1
  skip "no PCI devices on this machine: the matched runs cannot be made"
fi

disc=$work/disc
mkdir -p "$disc/Drivers/Vendor" "$disc/Drivers/.hidden"
printf '[PomvarinInfo]\r\nVendorCount=1\r\n[VendorInfo1]\r\nVenID=%s\r\nSetupFileRootDir=\\Drivers\r\nSetupFileName=SETUP.SH "two words" x\r\nSilentInstall=setup.sh /quiet\r\n' \
  "$ven_id" >"$disc/Pomvarin.ini"
cat >"$disc/Drivers/Vendor/Setup.sh" <<PROBE
#!/bin/sh
echo "\$0|\$*|\$#|\$(pwd)" >>"$work/started.txt"
echo "visible output"
PROBE
chmod +x "$disc/Drivers/Vendor/Setup.sh"
cp "$disc/Drivers/Vendor/Setup.sh" "$disc/Drivers/.hidden/setup.sh"

(cd "$disc" && "$program") >"$work/normal.out" 2>"$work/normal.err"
[ $? -eq 0 ] || fail "normal run: non-zero exit status"
ven_lower="${ven_id:0:1}$(echo "${ven_id:1}" | tr A-Z a-z)"
expected=$(printf '%s\n' "" "$ven_id" "$ven_lower" \
  "$disc\\Drivers\\.hidden\\setup.sh" "$disc\\Drivers\\Vendor\\Setup.sh" \
  "$disc\\Drivers")
[ "$(cat "$work/normal.err")" = "$expected" ] ||
  fail "normal run: trace was <$(cat "$work/normal.err")>, wanted <$expected>"
wait_for_lines "$work/started.txt" 2 || fail "normal run: setups not started"
expected=$(printf '%s\n' \
  "$disc/Drivers/.hidden/setup.sh|two words x|2|$disc" \
  "$disc/Drivers/Vendor/Setup.sh|two words x|2|$disc")
[ "$(sort "$work/started.txt")" = "$(echo "$expected" | sort)" ] ||
  fail "normal run: started <$(cat "$work/started.txt")>"

rm -f "$work/started.txt"
(cd "$disc" && "$program" /s) >"$work/silent.out" 2>"$work/silent.err"
[ $? -eq 0 ] || fail "silent run: non-zero exit status"
wait_for_lines "$work/started.txt" 2 || fail "silent run: setups not started"
grep -qx "Slience Install" "$work/silent.err" || fail "silent run: not traced"
grep -q "/quiet|1|" "$work/started.txt" || fail "silent run: parameters"
# Hidden: the setups' own output goes nowhere.
[ ! -s "$work/silent.out" ] || fail "silent run: setup output was shown"
ls "$disc" | grep -qvx -e Pomvarin.ini -e Drivers && fail "a file was written"

[ "$failures" -eq 0 ]

#!/bin/bash
# pomvarin-check as a user runs it on Linux, next to the launcher it
# describes: this machine's devices, real folders, real setup scripts.
# Usage: linux-check-test.sh PATH_TO_POMVARIN_CHECK PATH_TO_POMVARIN
set -uo pipefail
source "$(dirname "$0")/../linux/lib.sh"
check=$(readlink -f "$1")
launcher=$(readlink -f "$2")
work=$(mktemp -d)
# The setups the launcher starts outlive it: the folders are removed when
# they have ended.
hold_started
trap 'wait_for_started; rm -rf "$work"' EXIT

ven_id=$(first_pci_ven_id)
[ -n "$ven_id" ] || skip "no PCI devices on this machine: nothing to check against"
command -v lspci >/dev/null ||
  skip "lspci is not installed: the device list cannot be compared"

# 1. The device list read through the platform layer equals the one made
#    from lspci's numbers, an independent reader of the same sysfs files.
lspci -vmm -nn >"$work/lspci.txt" || fail "lspci: exit status $?"
"$check" --list >"$work/present.txt" || fail "--list: exit status $?"
"$check" --list --devices "$work/lspci.txt" >"$work/from-lspci.txt" ||
  fail "--list --devices: exit status $?"
diff -u "$work/from-lspci.txt" "$work/present.txt" ||
  fail "the present devices differ from lspci's"

# 2. What the check says would start is what the launcher starts, in order.
disc=$work/disc
for folder in A B; do
  mkdir -p "$disc/Drivers/$folder"
  printf '#!/bin/sh\necho "$0" >>"%s/started"\n' "$work" \
    >"$disc/Drivers/$folder/Setup.sh"
  chmod +x "$disc/Drivers/$folder/Setup.sh"
done
printf '[PomvarinInfo]\nVendorCount=2\n[VendorInfo1]\nVenName=Here\nVenID=%s\nSetupFileRootDir=\\Drivers\nSetupFileName=setup.sh -n\nSilentInstall=setup.sh -q\n[VendorInfo2]\nVenName=Absent\nVenID=VEN_NONE\nSetupFileRootDir=\\Drivers\\A\nSetupFileName=setup.sh\nSilentInstall=setup.sh\n' \
  "$ven_id" >"$disc/Pomvarin.ini"

"$check" "$disc" >"$work/report.txt"
status=$?
[ "$status" -eq 1 ] || fail "two setups for one vendor: exit status $status, not 1"
grep -q 'is found in 2 folders' "$work/report.txt" ||
  fail "no warning of the setup found twice"
awk '/^  normal:/ { print $2; n = 1; next } n && /^            / { print $1; next } { n = 0 }' \
  "$work/report.txt" | head -n 2 >"$work/would-start.txt"

(cd "$disc" && "$launcher") 2>"$work/trace.txt"
status=$?
[ "$status" -eq 0 ] || fail "the launcher: exit status $status, not 0"
wait_for_lines "$work/started" 2 || fail "the launcher started fewer than 2 setups"
grep 'Setup\.sh$' "$work/trace.txt" >"$work/started-paths.txt"
diff -u "$work/would-start.txt" "$work/started-paths.txt" ||
  fail "the check and the launcher differ on what starts"

# 3. JSON that a tool can read, and the exit status of a disc that cannot be
#    checked.
"$check" "$disc" --json >"$work/report.json"
status=$?
[ "$status" -eq 1 ] || fail "--json: exit status $status, not 1"
python3 -m json.tool "$work/report.json" >/dev/null ||
  fail "--json output is no JSON"
mkdir "$work/nothing"
"$check" "$work/nothing" 2>/dev/null
status=$?
[ "$status" -eq 2 ] || fail "no Pomvarin.ini: exit status $status, not 2"

# 4. --trace: the launcher beside the check, run for real in the disc with
#    the arguments after --, its trace lines as they come, then its status.
"$check" --trace "$disc" -- /s >"$work/traced.txt" 2>"$work/traced-errors.txt"
status=$?
[ "$status" -eq 0 ] || fail "--trace: exit status $status: $(cat "$work/traced-errors.txt")"
{
  echo "Running $launcher in $disc with \"/s\""
  echo "trace: /s"
  echo "trace: $ven_id"
  rest=${ven_id:1}
  echo "trace: ${ven_id:0:1}${rest,,}"
  sed 's/^/trace: /; a trace: Slience Install' "$work/would-start.txt"
  echo "trace: $disc\\Drivers"
  echo "trace: VEN_NONE"
  echo "trace: Ven_none"
  echo "Exit status: 0"
} >"$work/expected-trace.txt"
diff -u "$work/expected-trace.txt" "$work/traced.txt" || fail "--trace: not the launcher's trace"

# Nothing matched: the launcher's stand-in for the box is on its standard
# error too. The setups of a normal start share that stream: what they write
# after the launcher has ended still arrives, and does not end them.
late=$work/late-disc
mkdir -p "$late/Drivers"
printf '#!/bin/sh
sleep 0.3
echo "written late" >&2
echo survived >>"%s/survived"
' "$work" \
  >"$late/Drivers/late.sh"
chmod +x "$late/Drivers/late.sh"
printf '[PomvarinInfo]\nVendorCount=2\n[VendorInfo1]\nVenID=VEN_NONE\n[VendorInfo2]\nVenID=%s\nSetupFileRootDir=\\Drivers\nSetupFileName=late.sh\n' \
  "$ven_id" >"$late/Pomvarin.ini"
printf '[PomvarinInfo]\nVendorCount=1\n[VendorInfo1]\nVenID=VEN_NONE\n' >"$work/nothing/Pomvarin.ini"
(cd "$work/nothing" && "$check" --trace) >"$work/traced.txt"
status=$?
[ "$status" -eq 0 ] || fail "--trace with no match: exit status $status"
grep -qxF 'trace: Warning: No Matched Device Driver!' "$work/traced.txt" ||
  fail "--trace with no match: no warning: $(cat "$work/traced.txt")"
"$check" --trace "$late" >/dev/null 2>"$work/late-errors.txt"
wait_for_lines "$work/survived" 1 || fail "a setup writing after the launcher ended did not survive"
wait_for_lines "$work/late-errors.txt" 1 && grep -qxF "written late" "$work/late-errors.txt" ||
  fail "a setup's late output was lost: $(cat "$work/late-errors.txt")"

# No launcher beside the check, and a command line it cannot use: status 2,
# the reason on standard error.
mkdir "$work/alone"
cp "$check" "$work/alone/"
"$work/alone/${check##*/}" --trace >"$work/alone.txt" 2>&1
status=$?
[ "$status" -eq 2 ] || fail "--trace without a launcher: exit status $status, not 2"
grep -qF "the launcher is not found: there is no $work/alone/pomvarin" "$work/alone.txt" ||
  fail "--trace without a launcher: $(cat "$work/alone.txt")"
"$check" --trace "$disc" --json >"$work/usage.txt" 2>"$work/usage-errors.txt"
status=$?
[ "$status" -eq 2 ] && [ ! -s "$work/usage.txt" ] && grep -q '^usage: ' "$work/usage-errors.txt" ||
  fail "a wrong command line: status $status, $(cat "$work/usage.txt" "$work/usage-errors.txt")"

[ "$failures" -eq 0 ]

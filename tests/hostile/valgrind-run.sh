#!/bin/bash
# The Linux program under memcheck on a real disc folder: a run that matches
# and starts a setup (normal and silent), and one that matches nothing. Each
# must end with status 0, no memory errors and no definite or indirect leak,
# in the program and in the processes it forks before starting a setup.
# Usage: valgrind-run.sh PATH_TO_POMVARIN (a build without sanitizers)
set -uo pipefail
source "$(dirname "$0")/../linux/lib.sh"
program=$(readlink -f "$1")
command -v valgrind >/dev/null || skip "valgrind is not installed"
ven_id=$(first_pci_ven_id)
[ -n "$ven_id" ] || skip "no PCI devices on this machine"

work=$(mktemp -d)
# The setups the launcher starts outlive it: the folders are removed when
# they have ended.
hold_started
trap 'wait_for_started; rm -rf "$work"' EXIT

disc=$work/disc
mkdir -p "$disc/Drivers/Vendor"
cat >"$disc/Drivers/Vendor/setup.sh" <<PROBE
#!/bin/sh
echo "\$0|\$*" >>"$work/started.txt"
PROBE
chmod +x "$disc/Drivers/Vendor/setup.sh"

# $1: name, $2: VenID of the one entry, $3: number of setups it must start,
# the rest: the program's arguments.
memcheck_run() {
  local name=$1 id=$2 starts=$3
  shift 3
  printf '[PomvarinInfo]\nVendorCount=2\n[VendorInfo1]\nVenID=%s\nSetupFileRootDir=\\Drivers\nSetupFileName=setup.sh -n\nSilentInstall=setup.sh -q\n[VendorInfo2]\nVenID=VEN_ZZZZ\n' \
    "$id" >"$disc/Pomvarin.ini"
  rm -f "$work/started.txt" "$work"/vg.*.log
  (cd "$disc" && valgrind --tool=memcheck --leak-check=full \
    --errors-for-leak-kinds=definite,indirect --error-exitcode=1 \
    --trace-children=no --log-file="$work/vg.%p.log" "$program" "$@") \
    2>"$work/$name.err"
  local status=$?
  [ "$status" -eq 0 ] || fail "$name: exit status $status"
  local logs summaries=0
  logs=$(ls "$work"/vg.*.log 2>/dev/null)
  # The program's process and the one it forks to start a setup each end
  # with a summary; the process that went on to run the setup has none.
  for log in $logs; do
    grep -q "ERROR SUMMARY:" "$log" || continue
    summaries=$((summaries + 1))
    if ! grep -q "ERROR SUMMARY: 0 errors" "$log"; then
      fail "$name: memcheck found errors:"
      cat "$log" >&2
    fi
  done
  [ "$summaries" -gt 0 ] || fail "$name: no memcheck summary"
  if [ "$starts" -gt 0 ]; then
    wait_for_lines "$work/started.txt" "$starts" ||
      fail "$name: setup not started"
    grep -qxF "$disc\\Drivers\\Vendor\\setup.sh" "$work/$name.err" ||
      fail "$name: launch not traced: $(cat "$work/$name.err")"
    if [ "${1:-}" = /s ]; then
      grep -qx "Slience Install" "$work/$name.err" ||
        fail "$name: silent start not traced"
      grep -qxF "$disc/Drivers/Vendor/setup.sh|-q" "$work/started.txt" ||
        fail "$name: started as <$(cat "$work/started.txt")>"
    else
      grep -qxF "$disc/Drivers/Vendor/setup.sh|-n" "$work/started.txt" ||
        fail "$name: started as <$(cat "$work/started.txt")>"
    fi
  else
    grep -qx "Warning: No Matched Device Driver!" "$work/$name.err" ||
      fail "$name: no warning: $(cat "$work/$name.err")"
    [ ! -e "$work/started.txt" ] || fail "$name: a setup was started"
  fi
  if [ "$(cd "$disc" && find . | sort | tr '\n' ' ')" != \
    ". ./Drivers ./Drivers/Vendor ./Drivers/Vendor/setup.sh ./Pomvarin.ini " ]; then
    fail "$name: a file was written in the disc"
  fi
}

memcheck_run matched "$ven_id" 1
memcheck_run matched-silent "$ven_id" 1 /s
memcheck_run nothing-matched VEN_ZZZZ 0 -x

[ "$failures" -eq 0 ]

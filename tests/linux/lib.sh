# Shared by the shell tests of the Linux program; source it.

# Counts a failure and says what it was.
failures=0
fail() {
  echo "FAILED: $1" >&2
  failures=$((failures + 1))
}

# Ends the test as skipped (status 77), with the reason on one line that
# the test command's summary shows.
skip() {
  echo "SKIPPED: $1"
  exit 77
}

# Waits, bounded, until the file has at least the given number of lines.
wait_for_lines() {
  local file=$1 count=$2
  for _ in $(seq 1 600); do
    [ -f "$file" ] && [ "$(wc -l <"$file")" -ge "$count" ] && return 0
    sleep 0.05
  done
  return 1
}

# The VenID ("VEN_" and four upper-case hex digits) of the first PCI device
# of this machine, or nothing when it has none.
first_pci_ven_id() {
  local device
  device=$(ls /sys/bus/pci/devices 2>/dev/null | head -n 1)
  [ -n "$device" ] || return 0
  local vendor
  vendor=$(cat "/sys/bus/pci/devices/$device/vendor")
  echo "VEN_$(echo "${vendor#0x}" | tr a-f A-F)"
}

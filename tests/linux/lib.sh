# Shared by the shell tests of the Linux program; source it.

# Counts a failure and says what it was.
failures=0
fail() {
  echo "FAILED: $1" >&2
  failures=$((failures + 1))
}

# quietly COMMAND...: runs it with its output kept back; when it fails,
# says the command, its exit status and the last lines of its output, and
# returns that status.
quietly() {
  local output status
  output=$("$@" 2>&1 </dev/null)
  status=$?
  [ "$status" -eq 0 ] && return 0
  echo "  exit status $status of: $*" >&2
  printf '%s\n' "$output" | tr -d '\r' | tail -n 20 | sed 's/^/  | /' >&2
  return "$status"
}

# Ends the test as skipped (status 77), with the reason on one line that
# the test command's summary shows.
skip() {
  echo "SKIPPED: $1"
  exit 77
}

# Waits, bounded, until the file has at least the given number of lines;
# the bound is by the clock, and holds on a busy machine.
wait_for_lines() {
  local file=$1 count=$2 deadline=$((SECONDS + 120))
  while [ "$SECONDS" -lt "$deadline" ]; do
    [ -f "$file" ] && [ "$(wc -l <"$file")" -ge "$count" ] && return 0
    sleep 0.05
  done
  echo "  $file had $(wc -l <"$file" 2>/dev/null || echo no) lines after 120 s, not $count" >&2
  return 1
}

# hold_started: from here on every process the test starts, and every one
# those start, holds the write end of a pipe; wait_for_started, in the EXIT
# trap before the test's folders are removed, waits until the last of them
# has ended: setups started by the launcher outlive it.
hold_started() {
  local fifo
  fifo=$(mktemp -u) && mkfifo "$fifo" || return 1
  local both
  exec {both}<>"$fifo" {started_reader}<"$fifo" {started_writer}>"$fifo" {both}>&-
  rm -f "$fifo"
}

# Waits, bounded, until nothing holds the pipe of hold_started; says so
# when something still does then (a note: the test's checks are made).
wait_for_started() {
  [ -n "${started_writer:-}" ] || return 0
  exec {started_writer}>&-
  read -r -t 120 -u "$started_reader" _
  [ $? -le 128 ] && return 0
  echo "note: processes the test started had not ended after 120 s" >&2
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

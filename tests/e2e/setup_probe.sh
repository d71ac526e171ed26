#!/bin/sh
# A setup program of the end-to-end suite's driver folders on Linux. It
# records how it was started, as one line appended to $POMVARIN_E2E_LAUNCHES:
# its own path, its arguments (each in brackets), its current directory, and
# "hidden" when its output goes nowhere (the silent mode) or else "shown",
# separated by tabs. Then it waits for $POMVARIN_E2E_RELEASE, which the suite
# makes only after the launcher has exited: a launcher that waited for its
# setups would never end.
if [ "$(readlink "/proc/$$/fd/1")" = /dev/null ]; then
  show=hidden
else
  show=shown
fi
arguments=
for argument in "$@"; do
  arguments="$arguments[$argument]"
done
printf '%s\t%s\t%s\t%s\n' "$0" "$arguments" "$(pwd)" "$show" \
  >>"$POMVARIN_E2E_LAUNCHES"
while [ ! -e "$POMVARIN_E2E_RELEASE" ]; do
  sleep 0.02
done

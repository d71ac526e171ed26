#!/bin/bash
# Builds both programs, then runs the Linux program's job on the example
# driver folder: every vendor of examples/Pomvarin.ini whose ID a PCI device
# of this machine carries gets its setup script started. Arguments are handed
# to the program (for example /s for the silent mode).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh >/dev/null
echo "PCI devices here (first hardware ID's numbers):"
for device in /sys/bus/pci/devices/*; do
  printf '  %s  vendor %s device %s\n' "${device##*/}" \
    "$(cat "$device/vendor")" "$(cat "$device/device")"
done
echo "Running build/linux/pomvarin $* in examples/ (its trace on standard error):"
cd examples
../build/linux/pomvarin "$@"
# The launcher does not wait for the setups it starts; give their output a
# moment to arrive before the prompt returns.
sleep 1

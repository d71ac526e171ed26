#!/bin/bash
# Configures and builds the Linux programs (build/linux/pomvarin and
# pomvarin-check) and the Windows programs (build/windows/Pomvarin.exe and
# PomvarinCheck.exe) with their tests.
set -euo pipefail
cd "$(dirname "$0")/.."
for preset in linux windows; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

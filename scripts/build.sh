#!/bin/bash
# Configures and builds the Linux program (build/linux/pomvarin) and the
# Windows program (build/windows/Pomvarin.exe) with their tests.
set -euo pipefail
cd "$(dirname "$0")/.."
for preset in linux windows; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

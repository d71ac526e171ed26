#!/bin/bash
# The whole test suite: the native tests, then the Windows tests under Wine
# and the check of the built Pomvarin.exe.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
ctest --preset linux
ctest --preset windows

#!/bin/bash
# The whole test suite: the native tests, the same under AddressSanitizer and
# UndefinedBehaviorSanitizer, the Windows tests under Wine with the check of
# the built Pomvarin.exe, and a short run of every fuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
ctest --preset linux
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
ctest --preset sanitize
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
bash fuzz/run-fuzzers.sh 10
ctest --preset windows

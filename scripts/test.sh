#!/bin/bash
# The whole test suite, part by part:
#   native     the Linux build's tests (linux preset);
#   sanitize   the same under AddressSanitizer and UndefinedBehaviorSanitizer;
#   fuzz       a short run of every fuzzer;
#   package    the disc kit and the Debian package, built twice and compared,
#              taken apart and their programs run from a scratch root;
#   shipped    the checks of the shipped 32-bit Pomvarin.exe and
#              PomvarinCheck.exe that need no Wine (format, imports, icons,
#              version record);
#   windows64  the Windows suite on the 64-bit twin under Wine's 64-bit
#              loader: unit, platform and check tests, the end-to-end suite;
#   windows32  the same suite on the shipped 32-bit build, where this host
#              runs 32-bit x86 programs; elsewhere one line says it was
#              skipped and why.
# Every part runs even when an earlier one failed; at the end one summary
# line per part ("native: N passed, N failed") and the total. Exits 1 when
# anything failed. POMVARIN_TEST_NO_32BIT=1 runs it as on a host without
# 32-bit support, with Wine's 32-bit loader made to fail for the whole run.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh || exit 1

if [ "${POMVARIN_TEST_NO_32BIT:-}" = 1 ] && [ -z "${POMVARIN_32BIT_REFUSED:-}" ]; then
  echo "POMVARIN_TEST_NO_32BIT=1: running as on a host without 32-bit support"
  POMVARIN_32BIT_REFUSED=1 exec unshare --mount -- \
    bash scripts/without-32bit.sh bash scripts/test.sh "$@"
fi

results=$PWD/build/test-results
rm -rf "$results"
mkdir -p "$results"
failed=0

# Keeps a part's account for the final summary, and shows it now.
account() {
  "$@" | tee -a "$results/summary.txt"
  [ "${PIPESTATUS[0]}" -eq 0 ] || failed=1
}

# build PRESET: configures and builds it; a failure fails the part.
build() {
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1"
}

# scripted NAME COMMAND...: a part whose last line is its own account.
scripted() {
  local name=$1
  shift
  "$@" | tee "$results/$name.txt"
  [ "${PIPESTATUS[0]}" -eq 0 ] || failed=1
  tail -n 1 "$results/$name.txt" >>"$results/summary.txt"
}

# part NAME PRESET [CTEST ARGUMENTS]: builds PRESET and runs its tests.
part() {
  local name=$1 preset=$2
  shift 2
  echo "== $name"
  if ! build "$preset"; then
    account python3 scripts/ctest-summary.py --failed "$name" "the $preset build failed"
    return
  fi
  rm -rf "build/$preset/gtest"
  ctest --preset "$preset" --output-junit "$results/$name.xml" "$@"
  account python3 scripts/ctest-summary.py "$name" "$results/$name.xml" "$PWD/build/$preset/gtest"
}

part native linux
part sanitize sanitize
echo "== fuzz"
if build fuzz; then
  scripted fuzz bash fuzz/run-fuzzers.sh 10
else
  account python3 scripts/ctest-summary.py --failed fuzz "the fuzz build failed"
fi
echo "== package"
scripted package bash tests/package/run.sh
part shipped windows -L static
part windows64 windows64

host=$(bash scripts/host-32bit.sh)
case $? in
  0) part windows32 windows -LE static ;;
  1) account python3 scripts/ctest-summary.py --skip "32-bit Windows suite" "$host" ;;
  *) account python3 scripts/ctest-summary.py --failed windows32 "$host" ;;
esac

echo
echo "Summary:"
cat "$results/summary.txt"
awk '/^[a-z0-9]+: [0-9]+ passed, [0-9]+ failed/ {
       passed += $2; failed += $4; skipped += $6 }
     END { printf "total: %d passed, %d failed%s\n", passed, failed,
                  skipped ? ", " skipped " skipped" : "" }' "$results/summary.txt"
exit "$failed"

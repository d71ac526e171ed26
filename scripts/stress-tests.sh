#!/bin/bash
# The tests that start Wine or Chromium, run again and again with the
# processor kept busy beside them (two busy processes per core, stress-ng),
# as on a shared machine or a loaded CI host:
#
#   scripts/stress-tests.sh [--fresh] [RUNS] [PRESET...] [-- CTEST_ARGUMENTS]
#
# RUNS defaults to 10; the presets to linux (its Chromium test) and
# windows64 (every test of the Windows suite), and windows too where this
# host runs 32-bit programs. Each preset is built first. --fresh makes every
# run start without Wine prefixes, so that each run makes them anew while
# the machine is busy. Prints one line for each run (passed or the tests
# that failed, and its time; a failed run's log is kept and its end shown),
# then each preset's pass count. Exits 1 when any run failed. Arguments
# after -- go to every ctest run (-E '^e2e$' leaves out the end-to-end
# suite, the longest).
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
fresh=no
if [ "${1:-}" = --fresh ]; then
  fresh=yes
  shift
fi
runs=10
if [[ "${1:-}" =~ ^[0-9]+$ ]]; then
  runs=$1
  shift
fi
presets=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do
  presets+=("$1")
  shift
done
[ "${1:-}" = -- ] && shift
extra=("$@")
if [ ${#presets[@]} -eq 0 ]; then
  presets=(linux windows64)
  bash scripts/host-32bit.sh >/dev/null && presets+=(windows)
fi
command -v stress-ng >/dev/null ||
  { echo "stress-ng is not installed (scripts/install-deps.sh installs it)" >&2; exit 1; }

# tests_of PRESET: the CTest arguments that choose its Wine or Chromium tests.
tests_of() {
  case $1 in
    linux | sanitize) echo "-L chromium" ;;
    windows) echo "-LE static" ;;
    *) echo "" ;;
  esac
}

# Removes the preset's Wine prefixes and the end-to-end suite's template.
forget_prefixes() {
  rm -rf "build/$1"/wineprefix* "build/$1/tests/e2e/work/template"
}

for preset in "${presets[@]}"; do
  echo "== building $preset"
  cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" >/dev/null ||
    { echo "the $preset build failed" >&2; exit 1; }
done

logs=build/stress
mkdir -p "$logs"
busy=$((2 * $(nproc)))
stress-ng --cpu "$busy" --quiet &
stress=$!
trap 'kill "$stress" 2>/dev/null; wait "$stress" 2>/dev/null' EXIT
echo "== $busy busy processes beside the tests (stress-ng, pid $stress)"

declare -A passed
failed=0
for preset in "${presets[@]}"; do
  passed[$preset]=0
  for run in $(seq 1 "$runs"); do
    [ "$fresh" = yes ] && forget_prefixes "$preset"
    log=$logs/$preset-$run.log
    started=$SECONDS
    # shellcheck disable=SC2046 # the choice is words for ctest
    ctest --preset "$preset" $(tests_of "$preset") "${extra[@]}" >"$log" 2>&1
    status=$?
    took=$((SECONDS - started))
    if [ "$status" -eq 0 ]; then
      passed[$preset]=$((passed[$preset] + 1))
      echo "$preset run $run: passed in $took s ($(grep -m 1 'tests passed' "$log"))"
      rm -f "$log"
    else
      failed=1
      echo "$preset run $run: FAILED in $took s: $(sed -n 's/^ *[0-9]* - \([^ ]*\) .*/\1/p' "$log" | tr '\n' ' ')(log: $log)"
      tail -n 40 "$log" | sed 's/^/  | /'
    fi
  done
done

echo "Pass counts with $busy busy processes beside:"
for preset in "${presets[@]}"; do
  echo "  $preset: ${passed[$preset]} of $runs runs passed"
done
exit "$failed"

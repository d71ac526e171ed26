#!/bin/bash
# Runs every fuzz target for SECONDS seconds over a copy of its seed corpus.
#
#   fuzz/run-fuzzers.sh SECONDS [BUILD_DIR]
#
# BUILD_DIR is the "fuzz" preset's build folder (default build/fuzz). The
# copies, the corpus growth and any crash input stay in a temporary folder,
# never in the repository; a crash input is printed in hex. Prints the
# executions of every target; fails when any target fails or runs no input.
set -uo pipefail

if [[ $# -lt 1 || $# -gt 2 || ! $1 =~ ^[0-9]+$ || $1 -eq 0 ]]; then
  echo "usage: $0 SECONDS_PER_TARGET [BUILD_DIR]" >&2
  exit 2
fi
seconds=$1
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${2:-$here/../build/fuzz}" && pwd)" || exit 2

targets=(profile_reader vendor_count case_pass launch_spec text hardware_ids
         launcher_run device_capture wmic_capture msinfo32_capture
         devcon_capture powershell_capture inf image_reader)

work="$(mktemp -d "${TMPDIR:-/tmp}/pomvarin-fuzz.XXXXXX")"
failed=()

for target in "${targets[@]}"; do
  binary="$build/${target}_fuzzer"
  seeds="$here/corpus/$target"
  if [[ ! -x $binary || ! -d $seeds ]]; then
    echo "$target: missing $binary or $seeds" >&2
    failed+=("$target")
    continue
  fi
  corpus="$work/$target/corpus"
  artifacts="$work/$target/artifacts"
  mkdir -p "$corpus" "$artifacts"
  cp -R "$seeds/." "$corpus/"
  log="$work/$target/log"

  "$binary" "$corpus" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" >"$log" 2>&1
  status=$?

  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  corpusFiles=$(find "$corpus" -type f | wc -l)
  echo "$target: ${executions:-?} executions, corpus $corpusFiles files, exit $status"

  mapfile -t crashes < <(find "$artifacts" -type f | sort)
  # A target that ran no input tested nothing: that is a failure too.
  if [[ ! ${executions:-0} =~ ^[0-9]+$ || ${executions:-0} -eq 0 ]]; then
    echo "$target: no executions" >&2
    status=1
  fi
  if [[ $status -ne 0 || ${#crashes[@]} -ne 0 ]]; then
    failed+=("$target")
    tail -n 60 "$log"
    for crash in "${crashes[@]}"; do
      echo "--- $(basename "$crash") in hex:"
      od -An -tx1 -v "$crash"
    done
  fi
done

echo "fuzz: $((${#targets[@]} - ${#failed[@]})) passed, ${#failed[@]} failed"
if [[ ${#failed[@]} -ne 0 ]]; then
  echo "failed: ${failed[*]} (logs and inputs kept in $work)" >&2
  exit 1
fi
rm -rf "$work"

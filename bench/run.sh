#!/bin/bash
# Runs every benchmark, the launcher and what it is compared with side by
# side in one run, and writes the results table into docs/performance.md.
# Debian 12, as root: the Linux runs put a generated sysfs device folder in
# place of /sys/bus/pci/devices, in a mount namespace of their own.
#
#   bash bench/run.sh
#
# Inputs are generated into build/bench (a tree of 100,000 files in 10,000
# folders, fake sysfs device sets, registry devices for a Wine prefix of its
# own there). Takes about eight minutes on two cores (nine under heavy load).
#
# The Wine rows come from the 32-bit build (build/windows, Wine's 32-bit
# loader) where this host runs 32-bit programs, else from its 64-bit twin
# (build/windows64, the 64-bit loader); the table says which.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

# ---- Tools and programs -----------------------------------------------------
bash scripts/install-deps.sh
missing=()
for tool in hyperfine strace valgrind; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q -t bookworm --no-install-recommends "${missing[@]}"
fi
host_32bit=$(bash scripts/host-32bit.sh) && host_status=0 || host_status=$?
case $host_status in
  0) windows_preset=windows loader=/usr/lib/wine/wine ;;
  1) windows_preset=windows64 loader=/usr/lib/wine/wine64 ;;
  *) echo "bench: $host_32bit" >&2; exit 1 ;;
esac
cmake --preset linux >/dev/null
cmake --build --preset linux --target pomvarin bench_generate bench_trivial \
  bench_device_lister bench_floor
cmake --preset "$windows_preset" >/dev/null
cmake --build --preset "$windows_preset" --target Pomvarin trivial device_lister \
  same_imports floor

linux=$repo/build/linux
windows=$repo/build/$windows_preset
work=$repo/build/bench
generate=$linux/bench_generate
results=$work/results
# A server left by an earlier run would outlive its prefix's removal.
if [ -d "$work/wineprefix" ]; then
  WINEPREFIX=$work/wineprefix wineserver --kill 2>/dev/null || true
fi
rm -rf "$work"
mkdir -p "$results" "$work/tree"

# ---- Inputs ----------------------------------------------------------------
typical_devices=24
many_devices=200
many_entries=50
"$generate" tree "$work/tree/Drivers" | tee "$results/tree.txt"
"$generate" sysfs "$work/sysfs-typical" "$typical_devices"
"$generate" sysfs "$work/sysfs-many" "$many_devices"
"$generate" reg "$work/typical.reg" "$typical_devices"
"$generate" reg "$work/many.reg" "$many_devices"
present=$("$generate" first-vendor)
last=$("$generate" last-vendor)
# The tree search: one entry that matches, its whole tree walked in vain.
"$generate" config "$work/tree/Pomvarin.ini" 1 '\Drivers' setup.exe "$present"
# A typical run: one entry, a match, a launch of a trivial program.
mkdir -p "$work/typical/Drivers/Vendor"
cp "$linux/bench_trivial" "$work/typical/Drivers/Vendor/setup"
cp "$windows/trivial.exe" "$work/typical/Drivers/Vendor/setup.exe"
"$generate" config "$work/typical/Pomvarin-linux.ini" 1 '\Drivers' setup "$present"
"$generate" config "$work/typical/Pomvarin-windows.ini" 1 '\Drivers' setup.exe "$present"
# A disc's configuration was written long before it is read, and the Linux
# reader keeps the file it read last only once its stamps are two seconds
# old: the Linux one goes in place now, well before the typical runs.
cp "$work/typical/Pomvarin-linux.ini" "$work/typical/Pomvarin.ini"
# Many entries: none but the last matches, and that only the device every
# listing gives last, so every question examines every device; its folder
# is empty.
mkdir -p "$work/many/Empty"
"$generate" config "$work/many/Pomvarin.ini" "$many_entries" '\Empty' setup.exe "$last"

# ---- Running ---------------------------------------------------------------
# Runs a command with the device folder $1 as /sys/bus/pci/devices.
with_devices() {
  local devices=$1
  shift
  if [ "$devices" = - ]; then
    "$@"
    return
  fi
  unshare --mount sh -c 'mount --bind "$0" /sys/bus/pci/devices && exec "$@"' \
    "$devices" "$@"
}

export WINEPREFIX=$work/wineprefix WINEDEBUG=-all LC_ALL=C.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
wine_prefix_stop() { bash "$repo/tests/wine/prefix.sh" stop "$WINEPREFIX" "$loader" >/dev/null 2>&1 || true; }
trap wine_prefix_stop EXIT
mkdir -p "$WINEPREFIX"
bash tests/wine/prefix.sh start "$WINEPREFIX" "$loader"
windows_path() { "$loader" winepath -w "$1" 2>/dev/null; }
"$loader" reg import "$(windows_path "$work/typical.reg")" >/dev/null 2>&1

# measure NAME FOLDER WARMUP RUNS DEVICES COMMAND...: the commands run in
# FOLDER one after the other, with the device folder DEVICES ("-": the
# system's); the medians go to $results/NAME.csv, one row per command in
# order. Commands are split at blanks, and single quotes keep backslashes.
# An exit status other than 0 (dir's "File Not Found") is no failure.
measure() {
  local name=$1 folder=$2 warmup=$3 runs=$4 devices=$5
  shift 5
  local command=(hyperfine -N --ignore-failure --style basic --warmup "$warmup"
                 --runs "$runs" --export-csv "$results/$name.csv"
                 --export-json "$results/$name.json" "$@")
  echo "== $name (in ${folder#"$repo"/})"
  (cd "$folder" && with_devices "$devices" "${command[@]}")
}

# The median of a command's runs, in seconds, from a hyperfine CSV row.
median() { awk -F, -v row="$2" 'NR == row + 1 { print $4 }' "$results/$1.csv"; }

# interleave NAME FOLDER ROUNDS RUNS DEVICES COMMAND...: ROUNDS rounds of
# measure, RUNS runs of each command per round, so that a spell of load on
# this shared machine falls on all of them alike.
interleave() {
  local name=$1 folder=$2 rounds=$3 runs=$4 devices=$5 round
  shift 5
  for round in $(seq "$rounds"); do
    measure "$name-$round" "$folder" 1 "$runs" "$devices" "$@"
  done
}

# spread NAME ROW: the median of every run of the command in that row (1
# for the first) over all rounds, and the quartiles around it, in seconds.
spread() {
  python3 - "$results" "$1" "$2" <<'PY'
import glob, json, statistics, sys
results, name, row = sys.argv[1], sys.argv[2], int(sys.argv[3])
times = []
for path in glob.glob(f"{results}/{name}-[0-9]*.json"):
    with open(path) as file:
        times += json.load(file)["results"][row - 1]["times"]
q1, q2, q3 = statistics.quantiles(times, n=4)
print(statistics.median(times), q1, q3, len(times))
PY
}

# syscalls FOLDER DEVICES COMMAND...: the system calls of a run and of the
# processes it starts (strace -f -c), the median of three runs. A 32-bit
# program's calls come in a table of their own after the 64-bit one.
syscalls() {
  local folder=$1 devices=$2
  shift 2
  for _ in 1 2 3; do
    (cd "$folder" && with_devices "$devices" strace -f -c -o /dev/stdout "$@" 2>/dev/null) |
      awk '$NF == "total" { calls += $4 } END { print calls }'
  done | sort -n | sed -n 2p
}

# instructions FOLDER DEVICES COMMAND...: the instructions executed by a
# run and the processes it starts (callgrind, every process followed).
instructions() {
  local folder=$1 devices=$2
  shift 2
  (cd "$folder" && with_devices "$devices" valgrind --tool=callgrind \
     --trace-children=yes --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null) |
    awk '/Collected :/ { sum += $NF } END { print sum }'
}

# Peak resident memory in KiB, the median of five runs.
peak_memory() {
  local folder=$1 devices=$2
  shift 2
  for _ in 1 2 3 4 5; do
    (cd "$folder" && with_devices "$devices" /usr/bin/time -f %M -o /dev/stdout "$@" 2>/dev/null)
  done | sort -n | sed -n 3p
}

# Checks that a run does what the benchmark assumes before it is timed.
expect() {
  local what=$1 wanted=$2 got=$3
  if ! grep -qF -- "$wanted" <<<"$got"; then
    echo "bench: $what: expected <$wanted> in <$got>" >&2
    exit 1
  fi
}

# 1. Tree search, Linux.
expect "tree search trace" "$work/tree\\Drivers" \
  "$(cd "$work/tree" && with_devices "$work/sysfs-typical" "$linux/pomvarin" 2>&1)"
measure tree-linux "$work/tree" 2 7 "$work/sysfs-typical" \
  "$linux/pomvarin" "find Drivers -iname setup.exe"

# 2. Tree search, Wine.
tree_windows=$(windows_path "$work/tree/Drivers")
repo_windows=$(windows_path "$repo")
measure tree-wine "$work/tree" 1 5 - \
  "$loader $windows/Pomvarin.exe" "$loader cmd /c dir /s /b '$tree_windows\\setup.exe'"

# 3. A typical run (silent, as on a disc's autorun) against a trivial start.
expect "typical run trace" "Slience Install" \
  "$(cd "$work/typical" && with_devices "$work/sysfs-typical" "$linux/pomvarin" /s 2>&1)"
measure typical-linux "$work/typical" 5 40 "$work/sysfs-typical" \
  "$linux/pomvarin /s" "$linux/bench_trivial"
memory_linux=$(peak_memory "$work/typical" "$work/sysfs-typical" "$linux/pomvarin" /s)
memory_linux_trivial=$(peak_memory "$work/typical" "$work/sysfs-typical" "$linux/bench_trivial")
# Against its floor: the launcher and the floor program in interleaved
# rounds, then the system calls and instructions of each.
trace_launcher=$(cd "$work/typical" && with_devices "$work/sysfs-typical" "$linux/pomvarin" /s 2>&1)
trace_floor=$(cd "$work/typical" && with_devices "$work/sysfs-typical" "$linux/bench_floor" /s 2>&1)
if [ "$trace_launcher" != "$trace_floor" ]; then
  echo "bench: the floor's trace <$trace_floor> is not the launcher's <$trace_launcher>" >&2
  exit 1
fi
interleave floor-linux "$work/typical" 6 25 "$work/sysfs-typical" \
  "$linux/pomvarin /s" "$linux/bench_floor /s"
calls_linux=$(syscalls "$work/typical" "$work/sysfs-typical" "$linux/pomvarin" /s)
calls_linux_floor=$(syscalls "$work/typical" "$work/sysfs-typical" "$linux/bench_floor" /s)
instructions_linux=$(instructions "$work/typical" "$work/sysfs-typical" "$linux/pomvarin" /s)
instructions_linux_floor=$(instructions "$work/typical" "$work/sysfs-typical" "$linux/bench_floor" /s)
# The same on this machine's own devices, which sysfs reads from the kernel.
calls_linux_own=$(syscalls "$work/typical" - "$linux/pomvarin" /s)
calls_linux_own_floor=$(syscalls "$work/typical" - "$linux/bench_floor" /s)
interleave floor-linux-own "$work/typical" 3 25 - \
  "$linux/pomvarin /s" "$linux/bench_floor /s"

cp "$work/typical/Pomvarin-windows.ini" "$work/typical/Pomvarin.ini"
measure typical-wine "$work/typical" 3 10 - \
  "$loader $windows/Pomvarin.exe /s" "$loader $windows/trivial.exe" "$loader $windows/same_imports.exe"
interleave floor-wine "$work/typical" 3 5 - \
  "$loader $windows/Pomvarin.exe /s" "$loader $windows/floor.exe /s"
calls_wine=$(syscalls "$work/typical" - "$loader" "$windows/Pomvarin.exe" /s)
calls_wine_floor=$(syscalls "$work/typical" - "$loader" "$windows/floor.exe" /s)
# No instructions under Wine: callgrind (3.19) aborts on an assertion in its
# signal handling while Wine's ntdll queries a volume for the launcher.
memory_wine=$(peak_memory "$work/typical" "$work/sysfs-typical" "$loader" "$windows/Pomvarin.exe" /s)
memory_wine_trivial=$(peak_memory "$work/typical" "$work/sysfs-typical" "$loader" "$windows/trivial.exe")
memory_wine_imports=$(peak_memory "$work/typical" "$work/sysfs-typical" "$loader" "$windows/same_imports.exe")

# 4. Many entries over many devices against bare listings of them.
listings=$((2 * many_entries))
expect "Linux device lister" "of $many_devices devices" \
  "$(with_devices "$work/sysfs-many" "$linux/bench_device_lister" 1)"
measure devices-linux "$work/many" 1 5 "$work/sysfs-many" \
  "$linux/pomvarin" "$linux/bench_device_lister $listings"
"$loader" reg import "$(windows_path "$work/many.reg")" >/dev/null 2>&1
# Wine adds one adapter of its own to every device list.
expect "Wine device lister" "of $((many_devices + 1)) devices" \
  "$("$loader" "$windows/device_lister.exe" 1)"
measure devices-wine "$work/many" 1 5 - \
  "$loader $windows/Pomvarin.exe" "$loader $windows/device_lister.exe $listings"

# 5. Size.
exe_size=$(stat -c %s "$windows/Pomvarin.exe")

# ---- The table ---------------------------------------------------------------
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
verdict() { awk -v r="$1" -v g="$2" 'BEGIN { print (r <= g) ? "met" : "**missed**" }'; }
ms() { awk -v s="$1" 'BEGIN { v = s * 1000; printf (v < 100 ? "%.1f ms" : "%.0f ms"), v }'; }

wine=$(basename "$loader")

# row NAME LABEL LAUNCHER COMPARISON GOAL [LAUNCHER_ROW COMPARISON_ROW]
row() {
  local launcher comparison r goal=- verdict=-
  launcher=$(median "$1" "${6:-1}")
  comparison=$(median "$1" "${7:-2}")
  r=$(ratio "$launcher" "$comparison")
  if [ "$5" != - ]; then
    goal="≤ $5×"
    verdict=$(verdict "$r" "$5")
  fi
  printf '| %s | `%s` | `%s` | %s | %s | %s× | %s | %s |\n' "$2" "$3" "$4" \
    "$(ms "$launcher")" "$(ms "$comparison")" "$r" "$goal" "$verdict"
}
kib_verdict() { [ "$1" -le "$2" ] && echo met || echo "**missed**"; }

# floor_row NAME LABEL CALLS FLOOR_CALLS INSTRUCTIONS FLOOR_INSTRUCTIONS: the
# launcher (row 1 of the rounds) against the floor (row 2), with 1.1× as the
# goal for the time and for both counts ("-": not counted).
floor_row() {
  local launcher floor l1 l3 f1 f3 runs r rc ri verdict
  read -r launcher l1 l3 runs < <(spread "$1" 1)
  read -r floor f1 f3 _ < <(spread "$1" 2)
  r=$(ratio "$launcher" "$floor")
  rc=$(ratio "$3" "$4")
  ri=-
  [ "$5" != - ] && ri=$(ratio "$5" "$6")
  verdict=$(awk -v a="$r" -v b="$rc" -v c="$ri" \
    'BEGIN { print (a <= 1.1 && b <= 1.1 && (c == "-" || c <= 1.1)) ? "met" : "**missed**" }')
  [ "$5" != - ] && ri="$5 / $6: ${ri}×"
  printf '| %s (%s runs each) | %s (%s–%s) | %s (%s–%s) | %s× | %s / %s: %s× | %s | ≤ 1.1× | %s |\n' \
    "$2" "$runs" "$(ms "$launcher")" "$(ms "$l1")" "$(ms "$l3")" \
    "$(ms "$floor")" "$(ms "$f1")" "$(ms "$f3")" "$r" "$3" "$4" "$rc" "$ri" "$verdict"
}

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
memory_total=$(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo)
table=$(
  echo "Measured $(date -u '+%Y-%m-%d %H:%M UTC') by \`bash bench/run.sh\` on: $cpu, $(nproc) cores"
  echo "(shared), $memory_total; Debian $(cat /etc/debian_version), Linux $(uname -r); $("$loader" --version);"
  echo "$(hyperfine --version); files on $(df -T "$work" | awk 'NR == 2 { print $2 }'), warm cache."
  echo "Times are medians of the runs given (after warm-up runs), each pair measured side by side."
  echo
  echo "Inputs: $(sed 's/^.*Drivers: //' "$results/tree.txt") (\`Drivers\`);"
  echo "$typical_devices PCI devices for the typical run and the tree search, $many_devices for benchmark 4"
  echo "(Wine adds one adapter of its own); \`P\` = \`build/$windows_preset\`, \`L\` = \`build/linux\`, \`<repo>\` = the checkout"
  echo "as Wine names it. Every Wine row comes from \`build/$windows_preset\` run by \`$loader\`: $host_32bit."
  echo
  echo '| Benchmark | Launcher | Compared with | Launcher, median | Other, median | Ratio | Goal | |'
  echo '|---|---|---|---|---|---|---|---|'
  row tree-linux "1 Tree search, Linux (7 runs)" "L/pomvarin" "find Drivers -iname setup.exe" 1.0
  row tree-wine "2 Tree search, Wine (5 runs)" "$wine P/Pomvarin.exe" \
    "$wine cmd /c dir /s /b '${tree_windows/#"$repo_windows"/<repo>}\\setup.exe'" 1.0
  row typical-linux "3 Typical run, Linux (40 runs)" "L/pomvarin /s" "L/bench_trivial" 1.2
  row typical-wine "3 Typical run, Wine (10 runs)" "$wine P/Pomvarin.exe /s" "$wine P/trivial.exe" 1.2
  row typical-wine "3 (what it is made of) Start with Pomvarin.exe's DLLs, Wine" \
    "$wine P/same_imports.exe" "$wine P/trivial.exe" - 3 2
  row typical-wine "3 (what it is made of) Typical run beside that start, Wine" \
    "$wine P/Pomvarin.exe /s" "$wine P/same_imports.exe" - 1 3
  row devices-linux "4 $many_entries entries × $many_devices devices, Linux (5 runs)" "L/pomvarin" \
    "L/bench_device_lister $listings" 2
  row devices-wine "4 $many_entries entries × $many_devices devices, Wine (5 runs)" "$wine P/Pomvarin.exe" \
    "$wine P/device_lister.exe $listings" 2
  echo
  echo "A typical run against its floor (\`bench/floor_*.cc\`: the same work done the most direct way): times are"
  echo "the median and, in brackets, the quartiles of all runs from interleaved rounds; system calls (\`strace -f -c\`,"
  echo "the median of three runs) and instructions (callgrind) count the run and the setup it starts, the same"
  echo "trivial program for both; \`-\`: not counted (this machine's devices: sysfs reads the numbers from the"
  echo "kernel, outside the mount namespace callgrind would need; Wine: callgrind aborts in its signal handling)."
  echo
  echo '| Typical run, `/s` | Launcher | Floor | Ratio | System calls, launcher / floor | Instructions, launcher / floor | Goal | |'
  echo '|---|---|---|---|---|---|---|---|'
  floor_row floor-linux "3 Linux, generated devices" "$calls_linux" "$calls_linux_floor" \
    "$instructions_linux" "$instructions_linux_floor"
  floor_row floor-linux-own "3 Linux, this machine's devices" "$calls_linux_own" "$calls_linux_own_floor" - -
  floor_row floor-wine "3 Wine, \`$windows_preset\`" "$calls_wine" "$calls_wine_floor" - -
  echo
  echo '| # | Measure | Value | Goal | |'
  echo '|---|---|---|---|---|'
  echo "| 5 | Size of \`Pomvarin.exe\` (icons included) | $exe_size bytes ($(awk -v b="$exe_size" 'BEGIN { printf "%.1f", b / 1024 }') KiB) | ≤ 65536 bytes (64 KiB) | $(kib_verdict "$exe_size" 65536) |"
  echo "| 5 | Peak memory of a typical run, Linux (\`pomvarin /s\`; the trivial program: $memory_linux_trivial KiB) | $memory_linux KiB | ≤ 4096 KiB | $(kib_verdict "$memory_linux" 4096) |"
  echo "| 5 | Peak memory of a typical run under Wine, for reference (\`Pomvarin.exe /s\`; Wine's own floor, the trivial program: $memory_wine_trivial KiB; a program loading Pomvarin.exe's DLLs: $memory_wine_imports KiB) | $memory_wine KiB: $((memory_wine - memory_wine_imports)) KiB above the DLLs' floor | - | - |"
)

# Only the part between the markers is replaced; the notes around it stay.
document=docs/performance.md
begin='<!-- results: begin -->'
end='<!-- results: end -->'
# The table goes through the environment: awk -v would read its backslashes
# as escapes.
TABLE=$table awk -v begin="$begin" -v end="$end" '
  $0 == begin { print; print ENVIRON["TABLE"]; skipping = 1; next }
  $0 == end { skipping = 0 }
  !skipping { print }
' "$document" >"$document.new"
mv "$document.new" "$document"
echo
echo "$table"

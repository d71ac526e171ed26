#!/bin/bash
# The Wine prefix of a test run: "start PREFIX LOADER" makes it when missing
# and keeps a server running for the run; "stop PREFIX LOADER" ends that
# server and waits until it has ended. LOADER is Wine's 32-bit or 64-bit
# loader, named in full: the wine commands on PATH pick one of their own.
# Every step is bounded; one that fails or passes its bound is named, with
# its exit status and the last lines of PREFIX.log, and the script exits 1.
set -u
if [ $# -ne 3 ]; then
  echo "usage: $0 start|stop PREFIX LOADER" >&2
  exit 2
fi
command=$1 loader=$3
# Where 64-bit Wine is installed too, the 32-bit loader would make a 64-bit
# prefix, one without Windows XP; the 32-bit build gets a 32-bit prefix.
case $loader in
  *64) arch=win64 ;;
  *) arch=win32 ;;
esac
export WINEPREFIX=$2 WINEARCH=$arch WINEDEBUG=-all LC_ALL=C.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
log=$WINEPREFIX.log

# The bounds, in seconds, hold on a busy two-core machine: there making a
# fresh prefix and starting it took a minute and a half.
make_limit=600
step_limit=180

# Says what failed, with the last lines of the log, ends what runs in the
# prefix and exits 1.
failed() {
  echo "prefix.sh $command $WINEPREFIX: $1" >&2
  echo "  last lines of $log:" >&2
  tail -n 20 "$log" | sed 's/^/  | /' >&2
  wineserver --kill >/dev/null 2>&1
  exit 1
}

# step LIMIT WHAT COMMAND...: runs COMMAND with its output in the log, for
# at most LIMIT seconds; when it fails, says so and exits 1.
step() {
  local limit=$1 what=$2
  shift 2
  timeout -k 10 "$limit" "$@" </dev/null >>"$log" 2>&1
  local status=$?
  case $status in
    0) return 0 ;;
    124 | 137) failed "$what had not ended after $limit s: $*" ;;
    *) failed "$what failed with exit status $status: $*" ;;
  esac
}

# Ends the prefix's server, if one runs, and waits until it has ended: a
# new one would be refused while it lives, and its programs may still be
# writing into the prefix and the folders they were given.
end_server() {
  wineserver --kill >>"$log" 2>&1
  step "$step_limit" "waiting for the prefix's server to end" wineserver --wait
}

mkdir -p "$(dirname "$WINEPREFIX")"
case $command in
  start)
    : >"$log"
    # A prefix of the other word size, left by an earlier run, is made anew.
    if ! grep -qx "#arch=$arch" "$WINEPREFIX/system.reg" 2>/dev/null; then
      end_server
      rm -rf "$WINEPREFIX"
      step "$make_limit" "making the prefix" "$loader" wineboot --init
      step "$make_limit" "waiting for the new prefix's server to end" wineserver --wait
      grep -qx "#arch=$arch" "$WINEPREFIX/system.reg" 2>/dev/null ||
        failed "making the prefix left no $arch registry: $loader wineboot --init"
    fi
    # A server left by an interrupted run would refuse the new one.
    end_server
    # The server outlives this script: it must not hold the caller's output
    # open, or CTest would wait for it.
    step "$step_limit" "starting the prefix's server" wineserver --persistent
    # Wine's own services start with the first program and live as long as
    # the server; start them here, away from any test's output. When it has
    # ended, the prefix is ready.
    step "$step_limit" "the first program in the prefix" "$loader" cmd /c exit
    ;;
  stop)
    end_server
    ;;
  *)
    echo "usage: $0 start|stop PREFIX LOADER" >&2
    exit 2
    ;;
esac

#!/bin/bash
# scripts/install-deps.sh against stand-ins for apt-get, dpkg and dpkg-query
# early on PATH, which fail the way a registry out of step does: an index
# served with the wrong size, and an install that only resolves with the
# release's own suite preferred. Nothing is installed for real.
#   install-deps-test.sh SCRIPTS_FOLDER
set -uo pipefail
source "$(dirname "$0")/../linux/lib.sh"
scripts=$(readlink -f "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The stand-ins log every call to $work/calls; the scenario's knobs are files
# in $work: "missing" lists the packages not installed, "update-fails" how
# many updates fail, "plain-install-fails" and "suite-install-fails" list
# the packages whose install fails without and with -t, "host" the answer of
# host-32bit.sh. Once wine64 is installed without -t, its amd64 libraries
# are the security suite's and no -t install of wine32 resolves, as on a
# day when that suite's i386 index did not arrive.
mkdir -p "$work/bin" "$work/scripts"
cp "$scripts/install-deps.sh" "$work/scripts/"
cat >"$work/scripts/host-32bit.sh" <<STUB
#!/bin/bash
read -r status reason <"$work/host"; echo "\$reason"; exit "\$status"
STUB
cat >"$work/bin/dpkg-query" <<STUB
#!/bin/bash
grep -qxF "\${@: -1}" "$work/missing" && exit 1
echo "install ok installed"
STUB
cat >"$work/bin/dpkg" <<STUB
#!/bin/bash
echo "dpkg \$*" >>"$work/calls"; [ "\$1" = --print-foreign-architectures ] && echo i386; exit 0
STUB
cat >"$work/bin/apt-get" <<STUB
#!/bin/bash
echo "apt-get \$*" >>"$work/calls"
if [ "\$1" = update ]; then
  left=\$(cat "$work/update-fails")
  [ "\$left" -gt 0 ] || exit 0
  echo \$((left - 1)) >"$work/update-fails"
  echo "E: Failed to fetch .../binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?"
  exit 100
fi
list=plain-install-fails; [[ " \$* " == *" -t "* ]] && list=suite-install-fails
for package in "\$@"; do
  if grep -qxF -- "\$package" "$work/\$list" ||
     { [ "\$package" = wine32:i386 ] && [ -e "$work/security-libs" ]; }; then
    echo "E: Unable to correct problems, you have held broken packages."; exit 100
  fi
done
[ \$list = plain-install-fails ] && [[ " \$* " == *" wine64 "* ]] && touch "$work/security-libs"
exit 0
STUB
cat >"$work/bin/sleep" <<'STUB'
#!/bin/bash
STUB
chmod +x "$work"/bin/* "$work"/scripts/*

# scenario NAME MISSING UPDATE_FAILS PLAIN_FAILS SUITE_FAILS HOST EXPECTED_STATUS
# (lists blank-separated, "-" for none) runs the script and leaves its
# output in $work/out and its apt calls in $work/calls.
scenario() {
  name=$1
  tr ' ' '\n' <<<"${2/#-/}" >"$work/missing"
  echo "$3" >"$work/update-fails"
  tr ' ' '\n' <<<"${4/#-/}" >"$work/plain-install-fails"
  tr ' ' '\n' <<<"${5/#-/}" >"$work/suite-install-fails"
  echo "$6" >"$work/host"
  : >"$work/calls"
  rm -f "$work/security-libs"
  PATH="$work/bin:$PATH" bash "$work/scripts/install-deps.sh" >"$work/out" 2>&1
  status=$?
  [ "$status" -eq "$7" ] || fail "$name: exit status $status, not $7: $(cat "$work/out")"
}
said() { grep -qF -- "$1" "$work/out" || fail "$name: does not say <$1>: $(cat "$work/out")"; }
called() { grep -qxF -- "$1" "$work/calls" || fail "$name: no call <$1>: $(cat "$work/calls")"; }
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
apt_install="apt-get install -y -q --no-install-recommends"

scenario "everything there" - 0 - - "0 runs them" 0
[ -s "$work/out" ] && fail "$name: not quiet: $(cat "$work/out")"
[ -s "$work/calls" ] && fail "$name: called $(cat "$work/calls")"

scenario "an index out of step, twice" "wine64 wine32:i386" 2 "wine32:i386" - "0 runs them" 0
[ "$(grep -c '^apt-get update' "$work/calls")" -eq 2 ] || fail "$name: not one retry of the update"
said "going on with the package lists that arrived"
called "$apt_install -t $codename wine64 wine32:i386"
said "installed wine64 wine32:i386 (preferring $codename)"

scenario "an index out of step once" "cmake" 1 - - "0 runs them" 0
said "package lists updated"
[ "$(grep -c '^apt-get update' "$work/calls")" -eq 2 ] || fail "$name: not two updates"

scenario "wine32 on a machine that cannot run it" "wine32:i386" 0 "wine32:i386" "wine32:i386" \
  "1 this machine runs no 32-bit x86 programs" 0
said "could not install wine32:i386, which this machine has no use for: this machine runs no 32-bit x86 programs"

scenario "wine32 refused, the rest installed, on a machine that cannot run it" \
  "wine64 wine32:i386" 0 "wine32:i386" "wine32:i386" "1 runs none" 0
called "$apt_install wine64"
said "could not install wine32:i386, which this machine has no use for: runs none"

scenario "wine32 on a machine that runs it" "wine32:i386" 0 "wine32:i386" "wine32:i386" "0 runs them" 1
said "FAILED to install wine32:i386"

scenario "a package that cannot be had" "wine64 clang" 0 "clang" "clang" "1 runs none" 1
said "FAILED to install wine64 clang"

[ "$failures" -eq 0 ] && echo "install-deps: every scenario as expected"
[ "$failures" -eq 0 ]

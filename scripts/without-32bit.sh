#!/bin/bash
# Runs a command as on a host that runs no 32-bit x86 programs, whatever this
# host can do: in a mount namespace of its own, Wine's 32-bit loader and
# server are covered by a program that fails as the kernel does there. Any
# use of them during the command fails, not only the scripts that ask
# host-32bit.sh.
#   unshare --mount -- bash scripts/without-32bit.sh COMMAND...
set -eu
[ $# -ge 1 ] || { echo "usage: unshare --mount -- $0 COMMAND..." >&2; exit 2; }
refusal=$(mktemp)
cat >"$refusal" <<'REFUSAL'
#!/bin/sh
echo "$0: cannot execute binary file: Exec format error (32-bit programs are switched off for this run)" >&2
exit 126
REFUSAL
chmod 755 "$refusal"
for program in /usr/lib/wine/wine /usr/lib/wine/wineserver32; do
  [ -e "$program" ] && mount --bind "$refusal" "$program"
done
exec "$@"

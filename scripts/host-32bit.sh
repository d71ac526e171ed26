#!/bin/bash
# Does this host run 32-bit x86 programs? Some hosts of one machine kind run
# none at all (every i386 program fails with "Exec format error"), others
# run them; every script that needs the answer asks here.
#
# Asks Wine's 32-bit loader, the one 32-bit program the Windows suite needs.
# Where wine32 is not installed, a tiny i386 program made with the host's
# assembler tells a missing install from a host that could not run it anyway.
#
# Prints one line saying why; exit status 0: the host runs them; 1: it does
# not; 2: it cannot be told (wine32 is missing or broken: an install fault).
set -u
loader=/usr/lib/wine/wine

if [ -e "$loader" ]; then
  output=$("$loader" --version 2>&1)
  status=$?
  if [ "$status" -eq 0 ]; then
    echo "this machine runs 32-bit x86 programs (Wine's 32-bit loader: $output)"
    exit 0
  fi
  if [ "$status" -eq 126 ] && grep -q 'Exec format error' <<<"$output"; then
    echo "this machine runs no 32-bit x86 programs (Wine's 32-bit loader: Exec format error)"
    exit 1
  fi
  echo "Wine's 32-bit loader $loader fails (exit $status): $(head -n 1 <<<"$output")"
  exit 2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# exit(0) through the i386 system call gate: nothing else needed to run it.
printf '.globl _start\n_start:\n movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' >"$work/exit.s"
if ! as --32 -o "$work/exit.o" "$work/exit.s" 2>/dev/null ||
   ! ld -m elf_i386 -o "$work/exit" "$work/exit.o" 2>/dev/null; then
  echo "wine32 is not installed ($loader is missing), and no i386 program could be made to tell whether this machine could run it"
  exit 2
fi
if output=$("$work/exit" 2>&1); then
  echo "wine32 is not installed ($loader is missing), though this machine runs 32-bit x86 programs"
  exit 2
fi
if grep -q 'Exec format error' <<<"$output"; then
  echo "this machine runs no 32-bit x86 programs (an i386 test program: Exec format error; wine32 is not installed either)"
  exit 1
fi
echo "wine32 is not installed ($loader is missing), and an i386 test program failed: $output"
exit 2

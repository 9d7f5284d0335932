#!/usr/bin/env bash
# Says whether this machine can run the 32-bit Windows programs under Wine:
# exits 0 when it can; otherwise prints the reason on one line and exits 1.
#
# Two things are needed. Wine's 32-bit DLLs (scripts/fetch-wine-i386.sh), and
# a kernel that runs 32-bit x86 code at all: Wine's WoW64 mode needs that
# kernel support just as a 32-bit Linux program does, and some kernels are
# built without it. The kernel is asked directly: a tiny 32-bit program,
# assembled and linked with the binutils the compilers bring, is started, and
# it must run and exit with status 0. The programs under test are never the
# probe, so a 32-bit program that fails is still a failure.
#
# MARLIX_PROBE_32BIT names a program to start instead of the one built here
# (the script's own test plays both answers with it).
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
work="$root/build/probe-i386"

probe="${MARLIX_PROBE_32BIT:-}"
if [ -z "$probe" ]; then
  mkdir -p "$work" || { echo "cannot make $work to build the 32-bit probe in"; exit 1; }
  probe="$work/exit0"
  # exit(0) through the 32-bit system call gate: nothing else can make it end well.
  printf '%s\n' '.globl _start' '_start:' '  movl $1, %eax' '  xorl %ebx, %ebx' '  int $0x80' \
    >"$work/exit0.s"
  if ! { as --32 -o "$work/exit0.o" "$work/exit0.s" && ld -m elf_i386 -o "$probe" "$work/exit0.o"; } \
    >"$work/build.log" 2>&1; then
    echo "the 32-bit probe could not be built (as --32, ld -m elf_i386): $(tail -n 1 "$work/build.log")"
    exit 1
  fi
fi

# bash itself starts the probe: for a file the kernel refuses it reports the
# kernel's reason ("Exec format error") rather than reading it as a script.
errors="$(bash -c '"$0"' "$probe" 2>&1 >/dev/null)"
status=$?
if [ "$status" -ne 0 ]; then
  errors="${errors##*$'\n'}"
  reason="${errors##*: }"
  [ -n "$reason" ] || reason="the probe exited with status $status"
  echo "this kernel cannot run 32-bit programs ($reason)"
  exit 1
fi

if [ ! -d "$root/build/wine-i386/lib/i386-windows" ]; then
  why="$(cat "$root/build/wine-i386/unavailable" 2>/dev/null || echo "scripts/fetch-wine-i386.sh has not run")"
  echo "Wine's 32-bit DLLs are missing: $why"
  exit 1
fi
exit 0

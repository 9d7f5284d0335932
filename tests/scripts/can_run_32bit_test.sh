#!/usr/bin/env bash
# The 32-bit probe's answers: a program the kernel refuses, or that cannot be
# started at all, means "cannot" with the kernel's own reason; one that runs
# and exits 0 means the kernel is not what stops the 32-bit runs. The real
# probe must at least build and give one of its two answers.
set -uo pipefail
probe="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/scripts/can-run-32bit.sh"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
failures=0

expect() {  # what, wanted status, wanted output ('*' anything), program or '' for the real probe
  local what="$1" status="$2" wanted="$3" got code
  got="$(MARLIX_PROBE_32BIT="$4" "$probe")"
  code=$?
  # shellcheck disable=SC2053  # the wanted output is a pattern
  if [ "$code" -ne "$status" ] || [[ "$got" != $wanted ]]; then
    echo "FAIL: $what: status $code, said '$got' (wanted $status and '$wanted')"
    failures=$((failures + 1))
  fi
}

printf 'data\n' >"$scratch/not-executable"
expect "a file without the execute bit" 1 \
  "this kernel cannot run 32-bit programs (Permission denied)" "$scratch/not-executable"

printf '\177ELF\0\0\0garbage\0' >"$scratch/bad-format"
chmod +x "$scratch/bad-format"
expect "a file the kernel cannot load" 1 \
  "this kernel cannot run 32-bit programs (Exec format error)" "$scratch/bad-format"

printf '#!/bin/sh\nexit 3\n' >"$scratch/fails"
chmod +x "$scratch/fails"
expect "a program that starts but fails" 1 \
  "this kernel cannot run 32-bit programs (the probe exited with status 3)" "$scratch/fails"

# A program that runs: whatever else may be missing, it is not the kernel.
got="$(MARLIX_PROBE_32BIT="$(command -v true)" "$probe")"
if [ $? -ne 0 ] && [[ "$got" != "Wine's 32-bit DLLs are missing: "* ]]; then
  echo "FAIL: a program that runs: said '$got'"
  failures=$((failures + 1))
fi

got="$(MARLIX_PROBE_32BIT='' "$probe")"
case $?:"$got" in
  0:) echo "this machine runs 32-bit programs" ;;
  1:"this kernel cannot run 32-bit programs ("*|1:"Wine's 32-bit DLLs are missing: "*) echo "probe: $got" ;;
  *) echo "FAIL: the real probe said '$got'"; failures=$((failures + 1)) ;;
esac

[ "$failures" -eq 0 ] && echo "can_run_32bit_test: passed" && exit 0
exit 1

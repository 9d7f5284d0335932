#!/usr/bin/env bash
# The Windows part of the tests: cross-builds both programs, checks the
# 32-bit and 64-bit files, makes a fresh Wine prefix and runs the 64-bit
# tests under Wine (engine, support and command line tests, the dialog
# templates, the hand cursor and the dialog driven by X events).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/build-windows.sh"
"$root/tests/win32/check_executables.sh" "$root/build/windows-x86" i686
"$root/tests/win32/check_executables.sh" "$root/build/windows-x64" x86_64

# The dialog test compares the program's output with the Linux command line's.
if [ ! -x "$root/build/release/marlix2html-cli" ]; then
  cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$root/build/release" --target marlix2html-cli -j "$(nproc)" >/dev/null
fi

prefix="$root/build/windows-x64/wine-prefix"
rm -rf "$prefix"
WINEPREFIX="$prefix" "$root/scripts/wine-run.sh" wineboot --init >/dev/null 2>&1
# One test at a time: they share one Wine prefix, and a windowed test started
# beside another Wine program can be left without a desktop to draw on.
WINEPREFIX="$prefix" ctest --test-dir "$root/build/windows-x64" --output-on-failure -j 1

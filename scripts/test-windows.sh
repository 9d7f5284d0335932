#!/usr/bin/env bash
# The Windows part of the tests: cross-builds both programs, checks the
# 32-bit and 64-bit files, makes a fresh Wine prefix for each build and runs
# its tests under Wine. Both builds run the engine, support and command line
# tests (the Windows-only cases included) and convert the sample reference
# with their command line; the 64-bit build also runs the dialog's tests (the
# templates, the hand cursor, the program driven by X events). The 32-bit
# programs run in wine64's WoW64 mode with Wine's 32-bit DLLs; where those
# could not be fetched, or the kernel cannot run 32-bit code at all
# (scripts/can-run-32bit.sh asks it), the 32-bit runs are reported as skipped,
# with why.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/build-windows.sh"
"$root/tests/win32/check_executables.sh" "$root/build/windows-x86" i686
"$root/tests/win32/check_executables.sh" "$root/build/windows-x64" x86_64

# The tests compare the programs' output with the Linux command line's.
if [ ! -x "$root/build/release/marlix2html-cli" ]; then
  cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$root/build/release" --target marlix2html-cli -j "$(nproc)" >/dev/null
fi

run_build() {  # x86 or x64
  local prefix="$root/build/windows-$1/wine-prefix"
  rm -rf "$prefix"
  WINEPREFIX="$prefix" MARLIX_WINE_ARCH="$1" "$root/scripts/wine-run.sh" wineboot --init >/dev/null 2>&1
  # One test at a time: they share one Wine prefix, and a windowed test started
  # beside another Wine program can be left without a desktop to draw on.
  WINEPREFIX="$prefix" ctest --test-dir "$root/build/windows-$1" --output-on-failure -j 1
}

echo "Windows tests, 64-bit build:"
run_build x64
if reason="$("$root/scripts/can-run-32bit.sh")"; then
  echo "Windows tests, 32-bit build (Wine's WoW64 mode):"
  started=$SECONDS
  run_build x86
  echo "The 32-bit Windows tests took $((SECONDS - started)) s."
else
  echo "32-bit Windows checks skipped: $reason"
fi

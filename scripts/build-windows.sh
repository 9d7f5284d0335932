#!/usr/bin/env bash
# Cross-builds the Windows programs with mingw-w64, each with its tests: the
# 32-bit build into build/windows-x86 and the 64-bit build into
# build/windows-x64. The 32-bit build leaves out the dialog program's tests:
# they need a window driver, which Wine's WoW64 mode (where the 32-bit tests
# run) lacks. Installs the cross compilers when they are missing.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-dependencies.sh"

build() {  # build folder, toolchain file, dialog tests ON/OFF
  cmake -S "$root" -B "$root/build/$1" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$2" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/wine-run.sh" \
    -DMARLIX_BUILD_TESTS=ON -DMARLIX_WINDOW_TESTS="$3" -DMARLIX_BUILD_BENCH=OFF >/dev/null
  cmake --build "$root/build/$1" -j "${MARLIX_JOBS:-$(nproc)}" >/dev/null
}

build windows-x86 mingw-i686.cmake OFF
build windows-x64 mingw-x86_64.cmake ON

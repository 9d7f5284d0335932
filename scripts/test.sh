#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the Linux build's;
# the unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer;
# each fuzz target for a minute on its seeds; the Windows programs' under
# Wine; and last the packages, made from those builds, installed and checked.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-dependencies.sh"
"$root/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$root/build/release" --output-on-failure -j "$(nproc)"

# The sanitizer build leaves out the desktop program, the benchmarks, the
# browser checks of the web edition and the docset's run in Zeal (they test
# the pages, not the program's memory use).
sanitize="$root/build/sanitize"
CXX=clang++ cmake -S "$root" -B "$sanitize" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMARLIX_SANITIZE=ON -DMARLIX_BUILD_DESKTOP=OFF -DMARLIX_BUILD_BENCH=OFF >/dev/null
cmake --build "$sanitize" -j "$(nproc)" >/dev/null
ctest --test-dir "$sanitize" --output-on-failure -j "$(nproc)" -E '^(web_edition_|docset_zeal)'

"$root/scripts/fuzz.sh" 60
"$root/scripts/test-windows.sh"

# The packages reuse the Release build and the Windows cross builds above.
"$root/scripts/package.sh" >/dev/null
"$root/tests/packaging/check_packages.sh"

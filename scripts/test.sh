#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-dependencies.sh"
"$root/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$root/build/release" --output-on-failure -j "$(nproc)"
# The packages, made from the builds above, then installed and checked.
"$root/scripts/package.sh" >/dev/null
"$root/tests/packaging/check_packages.sh"

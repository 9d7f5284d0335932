#!/usr/bin/env bash
# Checks the packages that scripts/package.sh left in build/packages/ against
# the project's version, with the Release build's marlix2html-cli as the
# reference for conversions. Scratch files go to build/package-test/.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
release="$root/build/release"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$release/CMakeCache.txt")"
[ -n "$version" ] || { echo "check_packages: no project version in $release" >&2; exit 1; }
packages="$root/build/packages"
scratch="$root/build/package-test"

"$root/tests/packaging/deb_test.sh" "$packages/marlix2html_${version}_$(dpkg --print-architecture).deb" \
  "$version" "$root/samples/reference" "$release/marlix2html-cli" "$scratch/deb"
"$root/tests/packaging/installer_test.sh" "$packages/marlix2html-setup-x64.exe" \
  "$packages/marlix2html-setup-x86.exe" "$version" "$root/samples/reference" \
  "$release/marlix2html-cli" "$scratch/windows"

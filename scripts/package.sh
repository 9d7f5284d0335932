#!/usr/bin/env bash
# Makes the packages into build/packages/: the Debian package from the
# Release build in build/release. Brings the build up to date first; a build
# folder that is already there is reused.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-dependencies.sh"
"$root/scripts/build.sh"

out="$root/build/packages"
rm -rf "$out"
mkdir -p "$out"

# The Debian package: cpack stages `cmake --install` under /usr and runs
# dpkg-shlibdeps for the dependencies.
release="$root/build/release"
rm -rf "$release/packages"
(cd "$release" && cpack -G DEB >/dev/null)
cp "$release"/packages/*.deb "$out/"

echo "Packages in $out:"
ls -1 "$out"

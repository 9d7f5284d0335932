#!/usr/bin/env bash
# Makes the packages into build/packages/: the Debian package from the
# Release build in build/release, and the Windows installers
# marlix2html-setup-x86.exe and marlix2html-setup-x64.exe from the cross
# builds in build/windows-x86 and build/windows-x64. Brings the builds up to
# date first; build folders that are already there are reused.
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

# The Windows installers: makensis over each cross build (target "installer").
windows_built=true
for arch in x86 x64; do
  [ -f "$root/build/windows-$arch/CMakeCache.txt" ] || windows_built=false
done
if [ "$windows_built" = false ]; then
  "$root/scripts/build-windows.sh"
fi
for arch in x86 x64; do
  cmake --build "$root/build/windows-$arch" --target installer -j "$(nproc)" >/dev/null
  cp "$root/build/windows-$arch/marlix2html-setup-$arch.exe" "$out/"
done

echo "Packages in $out:"
ls -1 "$out"

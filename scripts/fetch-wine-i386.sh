#!/usr/bin/env bash
# Fetches the 32-bit Windows DLLs of Wine once into build/wine-i386/, so that
# the 64-bit Wine loader (wine64) can run the 32-bit Windows programs in its
# WoW64 mode (scripts/wine-run.sh points WINEDLLPATH at build/wine-i386/lib).
#
# The DLLs come from Debian's package libwine for i386, of the same version as
# the installed wine64, which is downloaded and unpacked, never installed. apt
# works for this on a state folder of its own (package lists and cache under
# build/wine-i386/apt, removed afterwards), told that i386 is the architecture:
# dpkg's list of architectures and the system's package lists stay as they
# were. An index that fails to download is tolerated only when it is an i386
# one (the security mirror's i386 list is sometimes out of step).
#
# Never fails: when the DLLs cannot be had, one line says why, the same line
# is kept in build/wine-i386/unavailable, and the 32-bit runs are skipped with
# that reason. A later run tries again; a fetched set is kept for later runs
# until wine64 changes version.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
target="$root/build/wine-i386"
stamp="$target/version"
unavailable="$target/unavailable"

refuse() {
  mkdir -p "$target"
  echo "$1" >"$unavailable"
  echo "32-bit Wine DLLs: not fetched: $1" >&2
  rm -rf "$target/apt" "$target/unpacked"
  exit 0
}

version="$(dpkg-query -W -f='${Version}' wine64 2>/dev/null)" ||
  refuse "wine64 is not installed"
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$version" ] && [ -d "$target/lib/i386-windows" ]; then
  exit 0
fi

echo "Fetching Wine's 32-bit Windows DLLs (libwine:i386 $version) into build/wine-i386"
rm -rf "$target/apt" "$target/unpacked" "$target/lib" "$stamp" "$unavailable"
state="$target/apt"
mkdir -p "$state/lists/partial" "$state/cache/archives/partial" "$state/download"
apt_options=(
  -o "Dir::State::Lists=$state/lists" -o "Dir::Cache=$state/cache"
  -o APT::Architecture=i386 -o APT::Architectures=i386
)
# As root, apt downloads as its own user, which must be able to write there.
if [ "$(id -u)" -eq 0 ] && id _apt >/dev/null 2>&1; then chown -R _apt "$state"; fi

update_log="$(apt-get "${apt_options[@]}" update 2>&1)"
# apt-get update names every file it could not fetch in a line "E: Failed to
# fetch URL ..." (a "W:" one when the mirror could not be reached at all) and
# ends with a summary line; any other error, or a failed file that is not an
# i386 package index, refuses the fetch.
failed="$(grep -E '^(E: |W: Failed to fetch )' <<<"$update_log" |
  grep -v '^[EW]: Some index files failed to download' |
  grep -Ev '^[EW]: Failed to fetch [^ ]*/binary-i386/' || true)"
if [ -n "$failed" ]; then
  refuse "apt-get update failed: $(head -n 1 <<<"$failed" | cut -c 4-)"
fi

download_log="$(cd "$state/download" && apt-get "${apt_options[@]}" download "libwine=$version" 2>&1)" ||
  refuse "the download of libwine:i386 $version was refused: $(grep -m 1 '^E: ' <<<"$download_log" | cut -c 4-)"
package="$(ls "$state/download"/libwine_*_i386.deb 2>/dev/null | head -n 1)"
[ -n "$package" ] || refuse "the download of libwine:i386 $version left no package"

# Only the Windows side is needed: the 64-bit loader brings its own Unix side.
mkdir -p "$target/unpacked"
dpkg-deb --fsys-tarfile "$package" |
  tar -x -C "$target/unpacked" ./usr/lib/i386-linux-gnu/wine/i386-windows ||
  refuse "libwine:i386 $version could not be unpacked"
mkdir -p "$target/lib"
mv "$target/unpacked/usr/lib/i386-linux-gnu/wine/i386-windows" "$target/lib/"
rm -rf "$target/apt" "$target/unpacked"
echo "$version" >"$stamp"

#!/usr/bin/env bash
# Runs a Windows program under 64-bit Wine with the project's own prefix and
# no Wine debug output. Used as the emulator of the cross-built tests.
#
# A 32-bit program (told by its PE header) runs in wine64's WoW64 mode, with
# Wine's 32-bit Windows DLLs from build/wine-i386 (scripts/fetch-wine-i386.sh)
# and a prefix of its own under build/windows-x86; a 64-bit one gets the
# prefix under build/windows-x64. Either prefix is made on first use (about
# half a minute). For a command that is no program file (wineboot, reg),
# MARLIX_WINE_ARCH=x86 picks the 32-bit set-up; x64 is the default.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# The machine field of a PE file's header: 014c for i386, 8664 for x86-64.
pe_machine() {
  local offset
  [ -f "$1" ] && [ "$(head -c 2 "$1" 2>/dev/null)" = "MZ" ] || return 0
  offset="$(od -An -t u4 -j 60 -N 4 "$1" | tr -d ' ')"
  [ "$(od -An -c -j "$offset" -N 4 "$1" | tr -d ' ')" = 'PE\0\0' ] || return 0
  od -An -t x2 -j $((offset + 4)) -N 2 "$1" | tr -d ' '
}

arch="${MARLIX_WINE_ARCH:-x64}"
if [ $# -gt 0 ]; then
  case "$(pe_machine "$1")" in
    014c) arch=x86 ;;
    8664) arch=x64 ;;
  esac
fi
case "$arch" in
  x86)
    dlls="$root/build/wine-i386"
    if [ ! -d "$dlls/lib/i386-windows" ]; then
      reason="$(cat "$dlls/unavailable" 2>/dev/null || echo "not fetched yet")"
      echo "wine-run.sh: cannot run 32-bit programs: Wine's 32-bit DLLs are missing ($reason; scripts/fetch-wine-i386.sh fetches them)" >&2
      exit 127
    fi
    export WINEDLLPATH="$dlls/lib"
    ;;
  x64) ;;
  *)
    echo "wine-run.sh: MARLIX_WINE_ARCH must be x86 or x64, not '$arch'" >&2
    exit 2
    ;;
esac

export WINEPREFIX="${WINEPREFIX:-$root/build/windows-$arch/wine-prefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEARCH=win64
# No .NET or browser engine offers while the prefix is made. A help viewer
# placed in the Windows folder is loaded as it is: Wine would otherwise put
# its own built-in viewer in its place.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winhlp32.exe=n}"
loader="$(dpkg -L wine64 2>/dev/null | grep -m1 '/wine64$' || true)"
if [ -z "$loader" ] || [ ! -x "$loader" ]; then
  echo "wine-run.sh: the wine64 loader is missing (scripts/install-dependencies.sh)" >&2
  exit 127
fi
exec "$loader" "$@"

#!/usr/bin/env bash
# Runs a Windows program under 64-bit Wine with the project's own prefix
# (made on first use under build/windows-x64, about half a minute) and no Wine debug
# output. Used as the emulator of the cross-built tests.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$root/build/windows-x64/wine-prefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEARCH=win64
# No .NET or browser engine offers while the prefix is made. A help viewer
# placed in the Windows folder is loaded as it is: Wine would otherwise put
# its own built-in viewer in its place.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winhlp32.exe=n}"
loader="$(dpkg -L wine64 2>/dev/null | grep -m1 '/wine64$' || true)"
if [ -z "$loader" ] || [ ! -x "$loader" ]; then
  echo "wine-run.sh: the wine64 loader is missing (scripts/install-dependencies.sh --windows)" >&2
  exit 127
fi
exec "$loader" "$@"

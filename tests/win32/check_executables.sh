#!/usr/bin/env bash
# Checks the headers, imports and resources of a Windows build without
# running it: the file format and machine, the GUI or console subsystem, only
# system libraries imported, and the dialog program's resources present.
#
# Usage: check_executables.sh <build folder> <i686|x86_64>
set -euo pipefail
build="$1" arch="$2"
objdump="$arch-w64-mingw32-objdump"
case "$arch" in
  i686) format="pei-i386" magic="PE32)" ;;
  x86_64) format="pei-x86-64" magic="PE32+)" ;;
  *) echo "unknown architecture $arch" >&2; exit 2 ;;
esac
# What Windows itself provides; the C and C++ runtimes are linked in.
system_dlls="ADVAPI32.dll COMCTL32.dll GDI32.dll KERNEL32.dll msvcrt.dll ole32.dll SHELL32.dll USER32.dll"
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

check() {  # program, subsystem
  local exe="$build/$1" headers
  [ -f "$exe" ] || { fail "$exe is missing"; return; }
  headers="$("$objdump" -p "$exe")"
  grep -q "file format $format" <<<"$headers" || fail "$1 is not $format"
  grep -q "Magic.*($magic" <<<"$headers" || fail "$1 is not $magic"
  grep -q "^Subsystem.*($2)" <<<"$headers" || fail "$1 is not a $2 program"
  while read -r dll; do
    grep -qiw -- "$dll" <<<"$system_dlls" || fail "$1 imports $dll"
  done < <(sed -n 's/^\s*DLL Name: //p' <<<"$headers")
}

check marlix2html.exe "Windows GUI"
check marlix2html-cli.exe "Windows CUI"

listing="$(7z l "$build/marlix2html.exe")"
for resource in DIALOG/101 DIALOG/103 BITMAP/104 GROUP_ICON/105 MANIFEST/1; do
  grep -q "\.rsrc/$resource" <<<"$listing" || fail "marlix2html.exe lacks resource $resource"
done
manifest_arch=$([ "$arch" = i686 ] && echo x86 || echo amd64)
7z e -so "$build/marlix2html.exe" .rsrc/MANIFEST/1 2>/dev/null |
  grep -q "Common-Controls\" version=\"6.0.0.0\" processorArchitecture=\"$manifest_arch\"" ||
  fail "the manifest does not ask for common controls 6.0.0.0 on $manifest_arch"

[ "$failed" -eq 0 ] && echo "$build: $arch programs checked"
exit "$failed"

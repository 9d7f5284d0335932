#!/usr/bin/env bash
# Checks the Windows installers. Each one's file list and the machine type of
# its programs are checked with 7z; then each is run silently under Wine,
# in the prefix of its build, into a scratch folder: the files, the
# Start-menu shortcut and the uninstall registry entry (in the registry view
# of its programs) are checked, the installed marlix2html-cli.exe converts the
# sample reference (its output must equal the Linux build's), and the silent
# uninstall must leave nothing behind. The 32-bit installer runs in wine64's
# WoW64 mode; without Wine's 32-bit DLLs, or on a kernel that cannot run
# 32-bit code (scripts/can-run-32bit.sh), that run is reported as skipped.
#   installer_test.sh SETUP_X64 SETUP_X86 VERSION SAMPLE_FOLDER BUILT_CLI SCRATCH
set -euo pipefail
setup64="$1" setup32="$2" version="$3" samples="$4" built_cli="$5" scratch="$6"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
failures=0
fail() { echo "installer_test: FAIL: $*" >&2; failures=$((failures + 1)); }

rm -rf "$scratch"
mkdir -p "$scratch"
# Absolute paths: Wine reaches them through drive Z:.
scratch="$(cd "$scratch" && pwd)" samples="$(cd "$samples" && pwd)"
programs=(marlix2html.exe marlix2html-cli.exe LICENSE.txt)

# The programs inside each installer, for the right machine.
check_archive() {  # installer, objdump format of its programs
  local setup="$1" format="$2" listing name unpacked
  listing="$(7z l -ba "$setup" 2>&1)" || { fail "7z cannot list $setup: $listing"; return; }
  for name in "${programs[@]}"; do
    grep -Eq "[[:space:]]$name\$" <<<"$listing" || fail "$(basename "$setup") lacks $name"
  done
  unpacked="$scratch/unpacked-$(basename "$setup" .exe)"
  7z e -y -o"$unpacked" "$setup" marlix2html.exe marlix2html-cli.exe >/dev/null ||
    fail "7z cannot unpack the programs of $setup"
  for name in marlix2html.exe marlix2html-cli.exe; do
    objdump -f "$unpacked/$name" 2>/dev/null | grep -q "file format $format" ||
      fail "$name in $(basename "$setup") is not $format"
  done
}
check_archive "$setup32" pei-i386
check_archive "$setup64" pei-x86-64

# Wine: no menu entries made on the Linux desktop.
wine="$root/scripts/wine-run.sh"
export WINEDLLOVERRIDES="mscoree,mshtml=;winhlp32.exe=n;winemenubuilder.exe=d"
wineserver="$(dpkg -L wine64 2>/dev/null | grep -m1 '/wineserver64$' || true)"
[ -x "$wineserver" ] || wineserver="$(command -v wineserver)"
settle() { "$wineserver" -w; }  # waits until every program of the prefix has ended
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\marlix2html'

# Installs, uses and uninstalls one installer in the Wine prefix of its build.
check_install() {  # installer, x86 or x64
  local setup="$1" arch="$2" name folder shortcut view uninstall
  export WINEPREFIX="$root/build/windows-$arch/wine-prefix" MARLIX_WINE_ARCH="$arch"
  local what failuresBefore="$failures"
  what="$(basename "$setup")"
  folder="$scratch/programs-$arch/marlix2html"
  shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Marlix to HTML.lnk"
  # The entry goes to the registry view of the installer's programs.
  view=$([ "$arch" = x86 ] && echo /reg:32 || echo /reg:64)
  registry_value() {
    "$wine" reg query "$key" /v "$1" "$view" 2>/dev/null | tr -d '\r' |
      sed -n "s/^ *$1 *REG_[A-Z]* *//p" || true
  }

  "$wine" "$setup" /S "/D=$(windows_path "$folder")" || fail "$what: silent install exited with $?"
  settle
  for name in "${programs[@]}" Uninstall.exe; do
    [ -f "$folder/$name" ] || fail "$what: install folder lacks $name"
  done
  [ -f "$shortcut" ] || fail "$what: no Start-menu shortcut 'Marlix to HTML'"
  [ -f "$shortcut" ] && ! grep -aq "marlix2html.exe" "$shortcut" && fail "$what: the shortcut does not name marlix2html.exe"
  [ "$(registry_value DisplayName)" = "Marlix to HTML" ] ||
    fail "$what: uninstall entry DisplayName is '$(registry_value DisplayName)'"
  [ "$(registry_value DisplayVersion)" = "$version" ] ||
    fail "$what: uninstall entry DisplayVersion is '$(registry_value DisplayVersion)'"
  uninstall="$(registry_value UninstallString)"
  [ "$uninstall" = "\"$(windows_path "$folder")\\Uninstall.exe\"" ] || fail "$what: UninstallString is '$uninstall'"

  # The installed command line program converts the sample like the Linux one.
  mkdir -p "$scratch/out-$arch"
  "$wine" "$folder/marlix2html-cli.exe" --quiet "$(windows_path "$samples")" \
    "$(windows_path "$scratch/out-$arch")" installed || fail "$what: installed marlix2html-cli.exe exited with $?"
  "$built_cli" --quiet "$samples" "$scratch/out-$arch" built || fail "built conversion exited with $?"
  [ -f "$scratch/out-$arch/installed/Index.htm" ] || fail "$what: the installed program wrote no Index.htm"
  diff -r "$scratch/out-$arch/built" "$scratch/out-$arch/installed" >/dev/null ||
    fail "$what: the installed program's conversion differs from the Linux build's"

  # The silent uninstall removes the folder, the shortcut and the entry.
  "$wine" "$folder/Uninstall.exe" /S || fail "$what: silent uninstall exited with $?"
  settle
  [ ! -e "$folder" ] || fail "$what: uninstall left $(cd "$folder" && ls -A | tr '\n' ' ')in the folder"
  [ ! -e "$shortcut" ] || fail "$what: uninstall left the shortcut"
  "$wine" reg query "$key" "$view" >/dev/null 2>&1 && fail "$what: uninstall left the registry entry"
  [ "$failures" -eq "$failuresBefore" ] && echo "installer_test: $what installed, used and uninstalled under Wine"
  return 0
}

check_install "$setup64" x64
installed="$(basename "$setup64")"
if reason="$("$root/scripts/can-run-32bit.sh")"; then
  check_install "$setup32" x86
  installed+=" and $(basename "$setup32")"
else
  echo "installer_test: 32-bit Windows checks skipped: $reason ($(basename "$setup32") not run under Wine)"
fi

if [ "$failures" -ne 0 ]; then
  echo "installer_test: $failures check(s) failed" >&2
  exit 1
fi
echo "installer_test: both installers' files checked; $installed run under Wine: passed"

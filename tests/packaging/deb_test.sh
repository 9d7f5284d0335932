#!/usr/bin/env bash
# Checks the Debian package: its file list and control fields, the programs
# run from a copy unpacked into a scratch root, lintian, and the desktop entry
# and AppStream validators.
#   deb_test.sh PACKAGE.deb VERSION SAMPLE_FOLDER BUILT_CLI SCRATCH
# BUILT_CLI is the build's own marlix2html-cli, whose output the packaged one
# must equal.
set -euo pipefail
deb="$1" version="$2" samples="$3" built_cli="$4" scratch="$5"
failures=0
fail() { echo "deb_test: FAIL: $*" >&2; failures=$((failures + 1)); }

rm -rf "$scratch"
mkdir -p "$scratch"

# Every file the package should hold, and nothing else.
expected="$scratch/expected-files"
{
  echo ./usr/bin/marlix2html
  echo ./usr/bin/marlix2html-cli
  echo ./usr/share/applications/marlix2html.desktop
  echo ./usr/share/bash-completion/completions/marlix2html-cli
  echo ./usr/share/doc/marlix2html/changelog.gz
  echo ./usr/share/doc/marlix2html/copyright
  for size in 16 32 48 64 128 256; do
    echo "./usr/share/icons/hicolor/${size}x${size}/apps/marlix2html.png"
  done
  echo ./usr/share/icons/hicolor/scalable/apps/marlix2html.svg
  echo ./usr/share/man/man1/marlix2html-cli.1.gz
  echo ./usr/share/man/man1/marlix2html.1.gz
  echo ./usr/share/metainfo/org.example.marlix2html.metainfo.xml
} | sort >"$expected"
dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sort >"$scratch/packaged-files"
diff -u "$expected" "$scratch/packaged-files" || fail "file list (- expected, + packaged)"

# Control fields: the project's version, and dependencies found by
# dpkg-shlibdeps (the C library for both programs, Qt for the dialog) or
# named (SQLite for the docset's index).
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = marlix2html ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
depends="$(field Depends)"
for library in libc6 libqt6widgets6 libsqlite3-0; do
  grep -Eq "(^|, )$library( |,|$)" <<<"$depends" || fail "Depends lacks $library: $depends"
done

root="$scratch/root"
dpkg -x "$deb" "$root"

# The changelog's latest entry is this version.
first="$(gzip -dc "$root/usr/share/doc/marlix2html/changelog.gz" | head -n 1 || true)"
[[ "$first" == "marlix2html ($version) "* ]] || fail "changelog starts with '$first'"

# Each icon has the size its folder names.
for size in 16 32 48 64 128 256; do
  icon="$root/usr/share/icons/hicolor/${size}x${size}/apps/marlix2html.png"
  actual="$(python3 -c 'import struct, sys
data = open(sys.argv[1], "rb").read(24)
print("%dx%d" % struct.unpack(">II", data[16:24]) if data[:8] == b"\x89PNG\r\n\x1a\n" else "not PNG")' "$icon")"
  [ "$actual" = "${size}x${size}" ] || fail "icon in ${size}x${size} is $actual"
done

# The packaged programs run from the scratch root.
cli="$root/usr/bin/marlix2html-cli"
[ "$("$cli" --version | head -n 1)" = "marlix2html-cli $version" ] ||
  fail "marlix2html-cli --version says '$("$cli" --version | head -n 1)'"
desktop_version="$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/marlix2html" --version | head -n 1 || true)"
[ "$desktop_version" = "marlix2html $version" ] || fail "marlix2html --version says '$desktop_version'"

# One conversion with the packaged program equals the built program's.
mkdir "$scratch/out"
"$cli" --quiet "$samples" "$scratch/out" packaged || fail "packaged conversion exited with $?"
"$built_cli" --quiet "$samples" "$scratch/out" built || fail "built conversion exited with $?"
[ -f "$scratch/out/packaged/Index.htm" ] || fail "packaged conversion wrote no Index.htm"
diff -r "$scratch/out/built" "$scratch/out/packaged" >/dev/null ||
  fail "packaged and built conversions differ"

# The validators and lintian.
desktop-file-validate "$root/usr/share/applications/marlix2html.desktop" ||
  fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.example.marlix2html.metainfo.xml" ||
  fail "appstreamcli validate"
lintian --fail-on error,warning --tag-display-limit 0 "$deb" || fail "lintian reports errors or warnings"

if [ "$failures" -ne 0 ]; then
  echo "deb_test: $failures check(s) failed" >&2
  exit 1
fi
echo "deb_test: $(basename "$deb") passed"

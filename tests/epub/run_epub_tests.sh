#!/usr/bin/env bash
# Writes e-books of references with the command line's --epub and checks them.
#
#   run_epub_tests.sh CLI WORK NAME=SOURCE...
#
# For each SOURCE folder: the book NAME.epub written twice into two fresh
# folders must be the same bytes and the only file there; check_epub.py
# checks its container and documents; EPUBCheck (Debian's epubcheck, run
# through java) must find no error and no warning. Once more with
# SOURCE_DATE_EPOCH set, which must become the book's modification time.
# CLI is marlix2html-cli; WORK is a folder of the build tree, made anew.
set -euo pipefail
cli=$1 work=$2
shift 2
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
jar=/usr/share/java/epubcheck.jar
[ -f "$jar" ] || { echo "epubcheck is not installed (scripts/install-dependencies.sh)"; exit 1; }

rm -rf "$work"
mkdir -p "$work"
failed=0
for pair in "$@"; do
  name=${pair%%=*} source=${pair#*=}
  mkdir -p "$work/one-$name" "$work/two-$name"
  "$cli" --quiet --epub "$source" "$work/one-$name" "$name"
  "$cli" --quiet --epub "$source" "$work/two-$name" "$name"
  book="$work/one-$name/$name.epub"
  if [ "$(ls -A "$work/one-$name")" != "$name.epub" ]; then
    echo "$name: the folder holds more than $name.epub: $(ls -A "$work/one-$name")"
    failed=1
  fi
  if ! cmp "$book" "$work/two-$name/$name.epub"; then
    echo "$name: two runs wrote different books"
    failed=1
  fi
  python3 "$here/check_epub.py" "$book" "$source" || failed=1
  # A book of thousands of documents needs a deeper stack than java's default.
  if ! java -Xss64m -jar "$jar" --failonwarnings "$book" >"$work/$name-epubcheck.txt" 2>&1; then
    cat "$work/$name-epubcheck.txt"
    failed=1
  fi
  size=$(wc -c <"$book")
  echo "$name: $size bytes, checked"
done

# SOURCE_DATE_EPOCH is the time of every entry and the modification date.
name=${1%%=*} source=${1#*=}
mkdir -p "$work/epoch"
SOURCE_DATE_EPOCH=1709214358 "$cli" --quiet --epub "$source" "$work/epoch" "$name"
python3 - "$work/epoch/$name.epub" <<'PY' || failed=1
import re, sys, zipfile
book = zipfile.ZipFile(sys.argv[1])
opf = book.read("EPUB/package.opf").decode()
modified = re.search(r'property="dcterms:modified">([^<]*)<', opf).group(1)
times = {info.date_time for info in book.infolist()}
if modified != "2024-02-29T13:45:58Z" or times != {(2024, 2, 29, 13, 45, 58)}:
    sys.exit("SOURCE_DATE_EPOCH not taken: %s, %s" % (modified, times))
PY
exit $failed

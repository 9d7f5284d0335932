#!/usr/bin/env bash
# Writes docsets of references with the command line's --docset and checks them.
#
#   run_docset_tests.sh check CLI WORK NAME=SOURCE...
#       each SOURCE folder's docset NAME: its files, Info.plist, index and pages
#       (check_docset.py), every page through tidy; and the Info.plist of
#       docsets whose names need escaping, read back with plistlib
#   run_docset_tests.sh zeal CLI WORK NAME=SOURCE...
#       the docsets in Zeal, searched for topics by name, each page's table of
#       contents counted (zeal_test.sh); the screenshots stay in WORK/zeal/
#
# CLI is marlix2html-cli. WORK is a folder of the build tree, made anew for
# each mode.
set -euo pipefail
mode=$1 cli=$2 work=$3
shift 3
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

site="$work/$mode-site"
rm -rf "$site"
mkdir -p "$site"
docsets=() names=() sources=()
for pair in "$@"; do
  name=${pair%%=*} source=${pair#*=}
  "$cli" --quiet --docset "$source" "$site" "$name"
  docsets+=("$site/$name.docset") names+=("$name") sources+=("$source")
done

case $mode in
  check)
    command -v tidy >/dev/null || { echo "tidy is not installed (scripts/install-dependencies.sh)"; exit 1; }
    failed=0
    for i in "${!docsets[@]}"; do
      docset=${docsets[$i]}
      python3 "$here/check_docset.py" "$docset" "${names[$i]}" "${sources[$i]}" || failed=1
      for page in "$docset"/Contents/Resources/Documents/*.htm; do
        if ! remarks=$(tidy -q -e "$page" 2>&1); then
          echo "$page:"
          echo "$remarks"
          failed=1
        fi
      done
    done
    # Names that need escaping, or are no valid UTF-8, or hold characters
    # XML cannot hold: the Info.plist still parses and carries the name, and
    # a bundle identifier of letters, digits, "-" and "." only. A name that
    # ends in ".docset" names the folder as it is; ".docset" alone is a name
    # of its own, and a blank one is shown as the pages show it.
    names_folder="$site/names"
    mkdir -p "$names_folder"
    for name in 'Marlix.docset' $'A&B <"x"> \'y\' ]]>' $'Caf\xc3\xa9 \xce\xb2' $'caf\xe9' \
      $'\xed\xa0\x80 \xc0\xaf \xe2\x82' $'bell\x07\x1b' $'\xef\xbf\xbe\xef\xbf\xbf' '.docset' \
      '   ' '#1 + 50% - ok.'; do
      "$cli" --quiet --docset "${sources[0]}" "$names_folder" "$name"
      folder="$names_folder/${name%.docset}.docset"
      [ "$name" = .docset ] && folder="$names_folder/.docset.docset"
      printf '%s' "$name" >"$site/plist-name"
      python3 "$here/check_docset.py" --plist "$folder/Contents/Info.plist" "$site/plist-name" ||
        failed=1
    done
    exit $failed
    ;;
  zeal)
    # Names from the sample, one through the docset's keyword, and names
    # that need quoting or differ from another only in case; the first
    # query's screenshot is the README's.
    "$here/zeal_test.sh" "$work/zeal" "${docsets[@]}" -- "PRINT" "DROP TABLE searchIndex; --" \
      "marlix:SQR" "O'Brien's \"Rule\"" "AND/OR" "c#"
    ;;
  *)
    echo "usage: $0 check|zeal CLI WORK NAME=SOURCE..." >&2
    exit 2
    ;;
esac

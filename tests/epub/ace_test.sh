#!/usr/bin/env bash
# DAISY Ace's accessibility check of an e-book, in Debian's chromium:
#
#   ace_test.sh CLI SOURCE WORK
#
# Installs @daisy/ace into WORK/node (once, without the browsers its
# packages would fetch), writes the book of SOURCE and runs ace-puppeteer
# over it; its outcome must be "pass". The report stays in WORK/report/.
set -euo pipefail
cli=$1 source=$2 work=$3
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
[ -x /usr/bin/chromium ] || { echo "chromium is not installed (scripts/install-dependencies.sh)"; exit 1; }
node_dir="$work/node"
"$here/../../scripts/npm-install.sh" "$here" "$node_dir"
rm -rf "$work/book" "$work/report"
mkdir -p "$work/book"
"$cli" --quiet --epub "$source" "$work/book" Marlix
# Without -E, ace exits with 0 even when it could not check the book.
PUPPETEER_EXECUTABLE_PATH=/usr/bin/chromium \
  "$node_dir/node_modules/.bin/ace-puppeteer" -E -s -f -o "$work/report" "$work/book/Marlix.epub"
python3 - "$work/report/report.json" <<'PY'
import json, sys
report = json.load(open(sys.argv[1]))
outcome = report["earl:result"]["earl:outcome"]
for document in report.get("assertions", []):
    for finding in document.get("assertions", []):
        print("%s: %s (%s)" % (document["earl:testSubject"]["url"],
                               finding["earl:test"]["dct:title"],
                               finding["earl:test"]["earl:impact"]))
print("Ace:", outcome)
sys.exit(0 if outcome == "pass" else 1)
PY

#!/usr/bin/env bash
# Converts the sample reference into the web edition and checks its pages.
#
#   run_web_tests.sh tidy    CLI SAMPLES WORK [SOURCE...]
#       every page passes tidy without a remark (and those of more SOURCE folders)
#   run_web_tests.sh browser CLI SAMPLES WORK HOSTILE
#       the pages in Debian's headless chromium, and search over the web
#       edition of HOSTILE, a reference that holds markup and script
#
# WORK is a folder of the build tree: the converted site, the test's npm
# packages (node/) and the screenshots (screenshots/) are kept there.
set -euo pipefail
mode=$1 cli=$2 samples=$3 work=$4
shift 4
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

mkdir -p "$work"
rm -rf "$work/$mode-site"
mkdir "$work/$mode-site"
"$cli" --web "$samples" "$work/$mode-site" web >/dev/null
site="$work/$mode-site/web"

case $mode in
  tidy)
    command -v tidy >/dev/null || { echo "tidy is not installed (scripts/install-dependencies.sh)"; exit 1; }
    sites=("$site")
    for source in "$@"; do
      name="more$((${#sites[@]}))"
      "$cli" --web "$source" "$work/$mode-site" "$name" >/dev/null
      sites+=("$work/$mode-site/$name")
    done
    failed=0
    pages=0
    for folder in "${sites[@]}"; do
      for page in "$folder"/*.htm; do
        pages=$((pages + 1))
        if ! remarks=$(tidy -q -e "$page" 2>&1); then
          echo "$page:"
          echo "$remarks"
          failed=1
        fi
      done
    done
    echo "$pages pages checked"
    exit $failed
    ;;
  browser)
    [ -x /usr/bin/chromium ] || { echo "chromium is not installed (scripts/install-dependencies.sh)"; exit 1; }
    node_dir="$work/node"
    # playwright-core brings no browser and never fetches one.
    "$here/../../scripts/npm-install.sh" "$here" "$node_dir"
    [ $# -eq 1 ] || { echo "usage: $0 browser CLI SAMPLES WORK HOSTILE" >&2; exit 2; }
    "$cli" --web "$1" "$work/$mode-site" hostile >/dev/null
    # The script resolves its import from the folder it lies in.
    cp "$here/browser_test.mjs" "$node_dir/"
    node "$node_dir/browser_test.mjs" "$site" "$work/screenshots" "$cli" "$work/$mode-site/hostile"
    ;;
  *)
    echo "usage: $0 tidy|browser CLI SAMPLES WORK [SOURCE...]" >&2
    exit 2
    ;;
esac

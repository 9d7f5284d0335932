#!/usr/bin/env bash
# Measures search in the web edition of the synthetic references, 1x (about
# 650 KB) and 10x, in Debian's headless chromium through playwright-core:
#   - the search data's size against the reference's, raw and gzipped;
#   - which files the contents, a section and a topic page load (never the
#     search data);
#   - the first result of search.htm?q=... after the page is ready (to the
#     frame after it is in the page), the median of five;
#   - the time from a query put in the search page's field to its results
#     in the page and laid out, and to the next frame: the first query,
#     which loads the search data, then several kinds of query, each the
#     median of five rounds, and every keystroke of a few queries typed
#     (median and 95th percentile).
#
#   bench/web_search_figures.sh [BUILD_FOLDER]
#
# BUILD_FOLDER (default: build/release) must hold marlix2html-cli and
# bench/generate_reference. playwright-core is installed into
# BUILD_FOLDER/bench/web-node (it brings no browser and fetches none).
# Figures, not a test: nothing passes or fails.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build=${1:-build/release}
cli=$build/marlix2html-cli
generator=$build/bench/generate_reference
[[ -x $cli ]] || { echo "no converter at '$cli'; build the project first" >&2; exit 2; }
[[ -x $generator ]] || { echo "no generator at '$generator'; build with MARLIX_BUILD_BENCH=ON" >&2; exit 2; }
[[ -x /usr/bin/chromium ]] || { echo "chromium is not installed (scripts/install-dependencies.sh)" >&2; exit 2; }

node_dir=$build/bench/web-node
"$here/../scripts/npm-install.sh" "$here/../tests/web" "$node_dir"
cp "$here/web_search_figures.mjs" "$node_dir/"

tmp=$(mktemp -d "${TMPDIR:-/tmp}/marlix-web-figures.XXXXXX")
trap 'rm -rf -- "$tmp"' EXIT
for scale in 1 10; do
  "$generator" "$tmp/ref$scale" "$scale" >/dev/null
  "$cli" --quiet --web "$tmp/ref$scale" "$tmp" "site$scale"
  node "$node_dir/web_search_figures.mjs" "${scale}x" "$tmp/ref$scale" "$tmp/site$scale"
done

#!/usr/bin/env bash
# Opens docsets in Zeal, the offline documentation browser, as a reader
# would: each docset copied into Zeal's docset folder, Zeal started in a
# virtual X server as `zeal "QUERY"`, and every further query handed to the
# running Zeal the same way. Each query must open its topic's page: Zeal's
# window title must become that page's title. A screenshot of the window is
# kept for each query, and in it the table of contents beside the page must
# list the page's names: one row per topic name that leads to that page.
#
#   zeal_test.sh WORK DOCSET... -- QUERY...
#
# A QUERY is a topic name, as it is stored in a docset's index, optionally
# after "KEYWORD:" (the docset's platform family), which keeps the search to
# the docsets of that family. The name must belong to one topic only.
# Consecutive queries must lead to pages of different titles.
# WORK (made anew) holds Zeal's home, settings and data, its log, and the
# screenshots zeal-1.png, zeal-2.png, ... in the order of the queries.
set -euo pipefail
work=$1
shift
docsets=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  docsets+=("$1")
  shift
done
[ $# -gt 1 ] && [ ${#docsets[@]} -gt 0 ] || {
  echo "usage: $0 WORK DOCSET... -- QUERY..." >&2
  exit 2
}
shift
queries=("$@")

for program in zeal Xvfb xdotool import identify convert python3; do
  command -v "$program" >/dev/null ||
    { echo "zeal_test: $program is not installed (scripts/install-dependencies.sh)" >&2; exit 1; }
done

# Zeal, its web engine and Qt write only into WORK; its own temporary folder
# also keeps it from meeting another Zeal that runs on this machine (it lets
# one instance run, and hands a second start's query to the first).
rm -rf "$work"
mkdir -p "$work"/{home,config,cache,data/Zeal/Zeal/docsets,runtime,tmp}
chmod 700 "$work/runtime"
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
export XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime" TMPDIR="$work/tmp"
unset WAYLAND_DISPLAY
# Zeal shows real windows in the virtual X server, whatever platform the
# other desktop tests choose (they run offscreen).
export QT_QPA_PLATFORM=xcb
# As root, the web engine runs only without its sandbox.
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
for docset in "${docsets[@]}"; do cp -R "$docset" "$XDG_DATA_HOME/Zeal/Zeal/docsets/"; done

# The title of the page each query's name leads to, from the docsets' own
# indexes and pages, and how many rows its table of contents must show: one
# per topic name that leads to that page. As "ROWS TITLE".
expected_titles() {
  python3 - "$@" <<'PYTHON'
import html, os, re, sqlite3, sys
count = int(sys.argv[1])
docsets, queries = sys.argv[2:2 + count], sys.argv[2 + count:]
for query in queries:
    name = query.split(":", 1)[1] if ":" in query else query
    found = []
    for docset in docsets:
        resources = os.path.join(docset, "Contents", "Resources")
        database = sqlite3.connect("file:%s?mode=ro" % os.path.join(resources, "docSet.dsidx"), uri=True)
        found += [(resources, path) for (path,) in database.execute(
            "SELECT path FROM searchIndex WHERE name = ? AND type = 'Entry'", (name,))]
        database.close()
    if len(found) != 1:
        sys.exit("zeal_test: %r names %d topics, not one" % (name, len(found)))
    resources, path = found[0]
    page = path.split("#")[0]
    database = sqlite3.connect("file:%s?mode=ro" % os.path.join(resources, "docSet.dsidx"), uri=True)
    (rows,) = database.execute(
        "SELECT count(*) FROM searchIndex WHERE type = 'Entry' AND "
        "(path = ? OR substr(path, 1, ?) = ?)", (page, len(page) + 1, page + "#")).fetchone()
    database.close()
    with open(os.path.join(resources, "Documents", path.split("#")[0]), encoding="utf-8") as page:
        title = re.search(r"<title>(.*?)</title>", page.read(), re.S)
    if title is None:
        sys.exit("zeal_test: %s has no title" % path)
    print(rows, html.unescape(title.group(1)))
PYTHON
}
mapfile -t expected < <(expected_titles "${#docsets[@]}" "${docsets[@]}" "${queries[@]}")
[ ${#expected[@]} -eq ${#queries[@]} ] || exit 1
titles=() toc_rows=()
for line in "${expected[@]}"; do
  toc_rows+=("${line%% *}") titles+=("${line#* }")
done
# A query that leads to the page already open could not be told from one
# that did nothing.
for ((i = 1; i < ${#titles[@]}; i++)); do
  if [ "${titles[$i]}" = "${titles[$((i - 1))]}" ]; then
    echo "zeal_test: '${queries[$i]}' leads to the page of the query before it; reorder them" >&2
    exit 2
  fi
done

# The rows of the table of contents in a screenshot: each row begins at the
# window's left edge with the icon of its type, a purple square about 14
# pixels high (a search result begins with the docset's icon, and its type's
# icon stands further right). Counts the runs of such rows in the first 18
# columns that are at least 10 pixels high.
toc_rows_shown() {
  convert "$1" -crop 18x10000+0+0 +repage txt:- | awk -F'[(),: ]+' '
    NR > 1 {
      if ($3 > 90 && $5 - $4 > 40 && $5 - $3 > 40) hit[$2] = 1
      if ($2 > last) last = $2
    }
    END {
      for (y = 0; y <= last + 1; y++) {
        if (hit[y]) { run++ } else { if (run >= 10) rows++; run = 0 }
      }
      print rows + 0
    }'
}

xvfb_pid="" zeal_pid=""
finish() {
  # Zeal and its web engine's processes form one process group.
  [ -n "$zeal_pid" ] && kill -- "-$zeal_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap finish EXIT

# A free display, chosen by the server itself.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { echo "zeal_test: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$work/display")"

# The window of the main Zeal window whose title is exactly $1, waited for.
window_titled() {
  local title=$1 seconds=$2 id
  for _ in $(seq $((seconds * 4))); do
    for id in $(xdotool search --name ' - Zeal$' 2>/dev/null); do
      if [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$title" ]; then
        echo "$id"
        return 0
      fi
    done
    sleep 0.25
  done
  return 1
}

failures=0
for i in "${!queries[@]}"; do
  query=${queries[$i]}
  want="${titles[$i]} - Zeal"
  if [ $i -eq 0 ]; then
    setsid zeal "$query" >"$work/zeal.log" 2>&1 &
    zeal_pid=$!
    seconds=90  # the first start brings up the web engine
  else
    # A second start hands its query to the running Zeal and ends.
    zeal "$query" >>"$work/zeal.log" 2>&1 || true
    seconds=30
  fi
  if ! window=$(window_titled "$want" "$seconds"); then
    echo "zeal_test: FAIL: '$query' did not open '$want'; Zeal's windows:" >&2
    for id in $(xdotool search --name 'Zeal' 2>/dev/null); do
      echo "  $(xdotool getwindowname "$id" 2>/dev/null)" >&2
    done
    import -window root "$work/zeal-$((i + 1))-failed.png" 2>/dev/null || true
    failures=$((failures + 1))
    continue
  fi
  sleep 2  # the page is loaded once its title shows; give it time to be drawn
  shot="$work/zeal-$((i + 1)).png"
  import -window "$window" "$shot"
  # A window drawn with its text has many colours; an empty one a handful.
  colours=$(identify -format '%k' "$shot")
  if [ "$colours" -lt 64 ]; then
    echo "zeal_test: FAIL: the screenshot of '$query' has only $colours colours: $shot" >&2
    failures=$((failures + 1))
    continue
  fi
  # Rows past the panel's height are out of sight.
  shown=$(toc_rows_shown "$shot")
  want_rows=${toc_rows[$i]}
  if [ "$want_rows" -gt 10 ]; then want_rows=10; fi
  if [ "$shown" -lt "$want_rows" ] || { [ "${toc_rows[$i]}" -le 10 ] && [ "$shown" -ne "$want_rows" ]; }; then
    echo "zeal_test: FAIL: the table of contents of '$query' shows $shown rows, not ${toc_rows[$i]}: $shot" >&2
    failures=$((failures + 1))
    continue
  fi
  echo "zeal_test: '$query' opened '$want', its table of contents with $shown rows ($shot)"
done

if ! grep -q "Starting as a primary instance" "$work/zeal.log"; then
  echo "zeal_test: FAIL: Zeal did not start on its own (another instance?); see $work/zeal.log" >&2
  failures=$((failures + 1))
fi
[ "$failures" -eq 0 ] || { echo "zeal_test: $failures failure(s); Zeal's log: $work/zeal.log" >&2; exit 1; }

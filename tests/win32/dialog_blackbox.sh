#!/usr/bin/env bash
# Drives the real Windows program under Wine only through X events, as a
# user would: the initial fields convert the sample reference into the tree
# the Linux command line writes, a second Convert and an emptied name show
# their message boxes, Enter and Escape close nothing, the About box shows
# its banner green on black and closes with OK, the web edition chosen in the
# drop-down converts into the Linux command line's web edition, and the
# result link hands its start page to the shell, whose opener for .htm files
# is a recorder in this prefix (opener_recorder.cpp). Needs a display
# (with-display.sh) and WINEPREFIX. Screenshots stay in the artefact folder.
#
# Usage: dialog_blackbox.sh <wine runner> <marlix2html.exe> <sample folder>
#                           <Linux command line program> <artefact folder>
#                           <opener recorder .exe>
set -euo pipefail
run="$1" exe="$2" samples="$3" cli="$4" out="$5" recorder="$6"
: "${WINEPREFIX:?}" "${DISPLAY:?}"
[ -x "$cli" ] || { echo "FAIL: no Linux command line at $cli (scripts/build.sh)" >&2; exit 1; }

mkdir -p "$out"
rm -rf "$out"/*.png "$out/linux"
marlix="$WINEPREFIX/drive_c/Marlix"  # C:\Marlix, the folder the fields start at
rm -rf "$marlix"
mkdir -p "$marlix" "$out/linux"
cp "$samples"/* "$marlix/"
"$cli" "$samples" "$out/linux" html >/dev/null
"$cli" --web "$samples" "$out/linux" web >/dev/null
# The shell opens .htm files with the recorder, which writes down what it got.
"$run" reg add 'HKCR\.htm' /ve /d marlix.testpage /f >/dev/null 2>&1
"$run" reg add 'HKCR\marlix.testpage\shell\open\command' /ve \
  /d "\"Z:${recorder//\//\\}\" C:\\Marlix\\opened.txt \"%1\"" /f >/dev/null 2>&1

app=""
fail() {
  echo "FAIL: $*" >&2
  import -window root "$out/failure.png" 2>/dev/null || true
  [ -n "$app" ] && kill "$app" 2>/dev/null
  exit 1
}

# Window id of the visible window with exactly this title, waiting for it
# (up to a minute: Wine starts slowly on a busy machine).
wait_window() {
  local id
  for _ in $(seq 1 300); do
    id="$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true)"
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.2
  done
  return 1
}
visible_titles() {
  xdotool search --onlyvisible --name '.' 2>/dev/null | while read -r id; do
    xdotool getwindowname "$id" 2>/dev/null || true
  done | sort | tr '\n' '|'
}
wait_titles() {  # waits until the visible windows are exactly these titles
  for _ in $(seq 1 50); do
    [ "$(visible_titles)" = "$1" ] && return 0
    sleep 0.2
  done
  return 1
}
# Screenshot of one window; prints its left, top, width and height.
shoot() {
  local geometry x y w h
  geometry="$(xdotool getwindowgeometry --shell "$1")"
  x="$(sed -n 's/^X=//p' <<<"$geometry")" y="$(sed -n 's/^Y=//p' <<<"$geometry")"
  w="$(sed -n 's/^WIDTH=//p' <<<"$geometry")" h="$(sed -n 's/^HEIGHT=//p' <<<"$geometry")"
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$2.png"
  echo "$x $y $w $h"
}
keys() { xdotool key --delay 120 "$@"; sleep 0.5; }

(cd "$out" && exec "$run" "$exe") &
app=$!

main="$(wait_window "Marlix to HTML")" || fail "the main dialog did not appear"
xdotool windowfocus --sync "$main" 2>/dev/null || xdotool windowfocus "$main"
sleep 1
shoot "$main" main-dialog >/dev/null

# Enter and Escape in the first field: nothing closes, nothing opens.
keys Return Escape
wait_titles "Marlix to HTML|" || fail "Enter or Escape changed the windows: $(visible_titles)"

# Convert (the sixth tab stop) with the initial fields: C:\Marlix into
# C:\Marlix\Marlix2HTML, with no message box.
keys Tab Tab Tab Tab Tab space
for _ in $(seq 1 100); do
  [ -f "$marlix/Marlix2HTML/Marlix.hhp" ] && break
  sleep 0.2
done
sleep 1
wait_titles "Marlix to HTML|" || fail "a completed conversion showed a window: $(visible_titles)"
diff -r "$out/linux/html" "$marlix/Marlix2HTML" >"$out/tree.diff" ||
  fail "the tree differs from the Linux command line's (tree.diff)"

# Convert again: the destination folder exists now.
keys space
box="$(wait_window "Error")" || fail "no Error box after a second Convert: $(visible_titles)"
shoot "$box" error-box >/dev/null
keys Return
wait_titles "Marlix to HTML|" || fail "the Error box did not close"

# An emptied destination name: Info Missing.
keys shift+Tab BackSpace Tab space
box="$(wait_window "Info Missing")" || fail "no Info Missing box: $(visible_titles)"
shoot "$box" info-missing-box >/dev/null
keys Return
wait_titles "Marlix to HTML|" || fail "the Info Missing box did not close"

# About (the tab stop after Convert).
keys Tab space
about="$(wait_window "About Marlix to HTML")" || fail "the About box did not appear"
sleep 1
read -r ax ay _ _ < <(shoot "$about" about-box)
# The banner link at (110, 140), 220 x 30 pixels: black with green text.
# Client area and window coincide: without a window manager Wine draws no
# frame. A margin of 6 pixels allows for one.
convert "$out/about-box.png" -crop 208x18+116+146 +repage rgb:- | python3 -c '
import sys
data = sys.stdin.buffer.read()
pixels = [data[i:i + 3] for i in range(0, len(data), 3)]
black = sum(1 for p in pixels if max(p) < 40)
green = sum(1 for p in pixels if p[1] > 180 and p[0] < 90 and p[2] < 90)
print(f"banner: {len(pixels)} pixels, {black} black, {green} green")
sys.exit(0 if len(pixels) and black > len(pixels) // 2 and green > 40 else 1)
' || fail "the banner is not green on black (about-box.png, window at $ax,$ay)"

keys Return Escape
wait_titles "About Marlix to HTML|Marlix to HTML|" || fail "Enter or Escape closed the About box"
keys space  # OK has the focus
wait_titles "Marlix to HTML|" || fail "OK did not close the About box"

# The web edition: the drop-down is the tab stop after About, the web edition
# its second entry. The name, emptied above, gets a new one; then Convert.
keys Tab Down
keys shift+Tab shift+Tab shift+Tab
xdotool type --delay 80 web
keys Tab space
for _ in $(seq 1 100); do
  [ -f "$marlix/web/search-index.js" ] && break
  sleep 0.2
done
sleep 1
wait_titles "Marlix to HTML|" || fail "a completed web conversion showed a window: $(visible_titles)"
[ -f "$marlix/web/Marlix.hhp" ] && fail "the web edition wrote a help project"
diff -r "$out/linux/web" "$marlix/web" >"$out/web-tree.diff" ||
  fail "the web edition differs from the Linux command line's (web-tree.diff)"
shoot "$main" main-dialog-result >/dev/null

# The result link: the tab stop after the drop-down, opened with Enter.
rm -f "$marlix/opened.txt"
keys Tab Tab Tab Return
for _ in $(seq 1 100); do
  [ -s "$marlix/opened.txt" ] && break
  sleep 0.2
done
opened="$(cat "$marlix/opened.txt" 2>/dev/null || true)"
[ "$opened" = 'C:\Marlix\web\Index.htm' ] ||
  fail "the result link opened '$opened', not C:\Marlix\web\Index.htm"
wait_titles "Marlix to HTML|" || fail "opening the result left a window: $(visible_titles)"

# The close command ends the program with 0.
xdotool windowfocus "$main" 2>/dev/null || true
keys alt+F4
for _ in $(seq 1 75); do
  kill -0 "$app" 2>/dev/null || break
  sleep 0.2
done
kill -0 "$app" 2>/dev/null && fail "the program did not end after Alt+F4: $(visible_titles)"
status=0
wait "$app" || status=$?
app=""
[ "$status" -eq 0 ] || fail "the program ended with $status"
echo "dialog black-box test passed; screenshots in $out"

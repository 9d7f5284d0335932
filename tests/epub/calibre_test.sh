#!/usr/bin/env bash
# An e-book in calibre: converted to AZW3 with ebook-convert, and shown in
# ebook-viewer in a virtual X server at a page with a box table, once as
# written and once with its font left out of the style sheet, both with
# fontconfig given only a serif font (as on a reader without a monospaced
# font of its own). The screenshots stay in WORK.
#
#   calibre_test.sh CLI SOURCE WORK
set -euo pipefail
cli=$1 source=$2 work=$3
for tool in ebook-convert ebook-viewer Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed (scripts/install-dependencies.sh)"; exit 1; }
done
rm -rf "$work"
mkdir -p "$work/fonts" "$work/runtime"
chmod 700 "$work/runtime"
"$cli" --quiet --epub "$source" "$work" Marlix
ebook-convert "$work/Marlix.epub" "$work/Marlix.azw3" >"$work/convert.txt" 2>&1 ||
  { cat "$work/convert.txt"; exit 1; }
echo "AZW3: $(wc -c <"$work/Marlix.azw3") bytes"

# The same book without its font in the style sheet.
python3 - "$work/Marlix.epub" "$work/NoFont.epub" <<'PY'
import sys, zipfile
source, target = zipfile.ZipFile(sys.argv[1]), zipfile.ZipFile(sys.argv[2], "w")
for info in source.infolist():
    data = source.read(info.filename)
    if info.filename.endswith("style.css"):
        data = data.replace(b'"DejaVu Sans Mono cp437", "DejaVu Sans Mono", ', b"")
    target.writestr(info, data)
target.close()
PY

serif=$(fc-match -f '%{file}' 'Liberation Serif')
cp "$serif" "$work/fonts/"
cat >"$work/fonts.conf" <<XML
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig><dir>$work/fonts</dir><cachedir>$work/fonts/cache</cachedir></fontconfig>
XML

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
viewer=""
cleanup() {
  [ -n "$viewer" ] && kill -9 -- "-$viewer" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
sleep 2
# The topic of the sample with a box table.
page="Greek Letters"
shot() {  # book, picture
  rm -rf "$work/config"
  DISPLAY=$display FONTCONFIG_FILE="$work/fonts.conf" XDG_RUNTIME_DIR="$work/runtime" \
    CALIBRE_CONFIG_DIRECTORY="$work/config" QTWEBENGINE_CHROMIUM_FLAGS=--no-sandbox \
    setsid ebook-viewer --open-at="toc:$page" "$1" >"$work/viewer.txt" 2>&1 &
  viewer=$!
  sleep 30
  # No window manager: the window is made large by hand.
  for window in $(DISPLAY=$display xdotool search --onlyvisible --name . 2>/dev/null); do
    DISPLAY=$display xdotool windowmove "$window" 0 0 windowsize "$window" 1280 900 || true
  done
  sleep 3
  DISPLAY=$display xdotool key shift  # past the welcome note
  sleep 8
  DISPLAY=$display import -window root "$2"
  kill -9 -- "-$viewer" 2>/dev/null || true
  wait "$viewer" 2>/dev/null || true
  viewer=""
}
shot "$work/Marlix.epub" "$work/viewer-embedded-font.png"
shot "$work/NoFont.epub" "$work/viewer-without-font.png"
echo "screenshots: $work/viewer-embedded-font.png $work/viewer-without-font.png"

#!/usr/bin/env bash
# Renders the desktop program's windows into docs/main-dialog.png and
# docs/about-box.png with Qt's offscreen platform (no display needed).
# Builds first (scripts/build.sh, incremental) so the pictures match the code.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/build.sh"
QT_QPA_PLATFORM=offscreen "$root/build/release/ui/marlix2html-screenshots" "$root/docs"

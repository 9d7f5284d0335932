#!/usr/bin/env bash
# Holds the engine's rooms apart by their includes: the driver knows only the
# table of editions, reading the reference and writing files know no edition,
# and an edition uses another only where it is built on its pages (the
# docset and the e-book on the web edition's). Prints each include that
# breaks a rule and fails if there is one.
set -uo pipefail
engine="$(cd "${1:-$(dirname "${BASH_SOURCE[0]}")/../../engine}" && pwd)"
broken=0

refuse() {  # description, then grep's output (file:line:text), if any
  local what="$1" hits="$2"
  [ -z "$hits" ] && return
  echo "$what:"
  echo "$hits" | sed "s|^$engine/|  engine/|"
  broken=1
}

refuse "the driver includes an edition's own files" \
  "$(grep -Hn '#include "engine/editions/[a-z_]*/' "$engine"/conversion_driver.* "$engine"/diagnostics.h)"
refuse "reading the reference or writing files includes an edition" \
  "$(grep -rHn '#include "engine/editions/' "$engine/format" "$engine/output")"
for room in "$engine"/editions/*/; do
  name="$(basename "$room")"
  allowed="$name"
  case "$name" in docset | epub) allowed="$name|web" ;; esac
  refuse "editions/$name includes another edition" \
    "$(grep -rHn '#include "engine/editions/[a-z_]*/' "$room" | grep -Ev "#include \"engine/editions/($allowed)/")"
done
exit "$broken"

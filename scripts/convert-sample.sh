#!/usr/bin/env bash
# Installs what is missing, builds, and converts the bundled sample reference
# into a fresh folder under out/.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-dependencies.sh"
"$root/scripts/build.sh"

mkdir -p "$root/out"
name="sample-$(date +%Y%m%d-%H%M%S)"
suffix=0
while [ -e "$root/out/$name" ]; do suffix=$((suffix + 1)); name="sample-$(date +%Y%m%d-%H%M%S)-$suffix"; done
"$root/build/release/marlix2html-cli" "$root/samples/reference" "$root/out" "$name"
echo "Open $root/out/$name/Index.htm in a browser."

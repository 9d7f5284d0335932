#!/usr/bin/env bash
# Quick start: installs only what the sample conversion needs (a C++ compiler,
# make and CMake), builds only the command line program into build/sample
# (no desktop program, tests or benchmarks), and converts the bundled sample
# reference twice, into two fresh folders under out/: the web edition, to
# read in a browser, and the classic edition, the help project for the help
# compiler. scripts/test.sh builds everything.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/sample"
step() { printf '==> %s\n' "$*"; }

missing=()
command -v cmake >/dev/null || missing+=(cmake)
command -v c++ >/dev/null || missing+=(g++)
command -v make >/dev/null || missing+=(make)
if [ ${#missing[@]} -gt 0 ]; then
  if ! command -v apt-get >/dev/null; then
    echo "Please install: ${missing[*]}" >&2
    exit 1
  fi
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  step "Installing ${missing[*]}"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

step "Configuring $build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DMARLIX_BUILD_DESKTOP=OFF \
  -DMARLIX_BUILD_TESTS=OFF -DMARLIX_BUILD_BENCH=OFF >/dev/null
step "Building marlix2html-cli"
cmake --build "$build" --target marlix2html-cli -j "$(nproc)"

mkdir -p "$root/out"
# One stem for both folders, new in out/.
stem="sample-$(date +%Y%m%d-%H%M%S)"
suffix=0
while [ -e "$root/out/$stem-web" ] || [ -e "$root/out/$stem-classic" ]; do
  suffix=$((suffix + 1))
  stem="sample-$(date +%Y%m%d-%H%M%S)-$suffix"
done
step "Converting samples/reference into the web edition, out/$stem-web"
# The web edition shows its title on every page: the reference's, not the folder's.
"$build/marlix2html-cli" --web --title "Marlix 2.10 reference (sample)" \
  "$root/samples/reference" "$root/out" "$stem-web"
step "Converting samples/reference into the classic edition, out/$stem-classic"
"$build/marlix2html-cli" "$root/samples/reference" "$root/out" "$stem-classic"
echo "Web edition: open $root/out/$stem-web/Index.htm in a browser."
echo "Classic edition: $root/out/$stem-classic holds the help project Marlix.hhp for the help compiler (chmcmd Marlix.hhp)."

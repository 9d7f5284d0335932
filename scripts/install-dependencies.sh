#!/usr/bin/env bash
# Installs the Debian packages the project needs to build, test and run,
# skipping those already present.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev fonts-liberation fonts-dejavu-core
  fp-utils p7zip-full man-db
  chromium tidy python3
  # The docset's index is written with the SQLite library; Zeal, an offline
  # documentation browser, reads the docset in the end-to-end test.
  libsqlite3-dev zeal
  # The e-book's archive is deflated and summed with zlib (linked statically
  # into the Windows programs from the mingw-w64 build of it).
  zlib1g-dev libz-mingw-w64-dev
  # Packages: the Debian package's tools and checkers, the Windows installer's
  # compiler.
  dpkg-dev lintian appstream desktop-file-utils nsis
  # The sanitizer build and the fuzz targets: clang and its runtimes.
  clang libclang-rt-dev
  # Windows: cross compilers, GoogleTest sources to build for Windows, 64-bit
  # Wine (never wine32: 32-bit Linux programs cannot run here; the 32-bit
  # Windows programs run in wine64's WoW64 mode, with the DLLs fetched below),
  # a virtual X server, X event injection and screenshots for the dialog tests.
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 googletest wine64
  xvfb xdotool imagemagick
)
# Node.js with npm runs the browser tests; any installation that provides npm will do.
if ! command -v npm >/dev/null; then packages+=(nodejs npm); fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if [ ${#missing[@]} -ne 0 ]; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine's 32-bit Windows DLLs, for the 32-bit programs' tests (fetched once
# into build/wine-i386; a refusal is said and the 32-bit runs are skipped).
"$(dirname "${BASH_SOURCE[0]}")/fetch-wine-i386.sh"

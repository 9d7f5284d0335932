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
  # Packages: the Debian package's tools and checkers, the Windows installer's
  # compiler.
  dpkg-dev lintian appstream desktop-file-utils nsis
  # The sanitizer build and the fuzz targets: clang and its runtimes.
  clang libclang-rt-dev
  # Windows: cross compilers, GoogleTest sources to build for Windows, 64-bit
  # Wine (never wine32: 32-bit Linux programs cannot run here), a virtual X
  # server, X event injection and screenshots for the dialog tests.
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
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

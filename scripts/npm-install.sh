#!/usr/bin/env bash
# Installs the npm packages of a test's package.json into a folder of the
# build tree, once: again only when package.json has changed or the last
# install did not end. No package may fetch a browser or a binary of its
# own: the tests run Debian's chromium.
#   npm-install.sh PACKAGE_FOLDER NODE_FOLDER
# PACKAGE_FOLDER holds package.json and .npmrc; NODE_FOLDER gets them and
# node_modules/.
set -euo pipefail
packages="$1" node_dir="$2"
if [ -f "$node_dir/installed" ] && cmp -s "$packages/package.json" "$node_dir/package.json"; then
  exit 0
fi
rm -rf "$node_dir"
mkdir -p "$node_dir"
cp "$packages/package.json" "$packages/.npmrc" "$node_dir/"
(cd "$node_dir" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 PUPPETEER_SKIP_DOWNLOAD=1 \
  ELECTRON_SKIP_BINARY_DOWNLOAD=1 npm install --no-package-lock --no-save --no-audit --no-fund \
  --loglevel=error)
touch "$node_dir/installed"

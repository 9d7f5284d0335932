#!/usr/bin/env bash
# Configures and builds the project (Release) into build/release.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/release" -j "$(nproc)" >/dev/null

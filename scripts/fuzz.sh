#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan and UBSan) into build/fuzz
# and runs each on its seeds for the given seconds (default 60):
#   scripts/fuzz.sh [seconds] [conversion|line_reader|line_rendering ...]
# Seeds are made from the pinned sources and the sample reference into
# build/fuzz-seeds; new inputs go to build/fuzz-corpus/<target>, crashes and
# their inputs to build/fuzz-artifacts. Nothing tracked is written.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-60}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(conversion line_reader line_rendering)

build="$root/build/fuzz"
CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMARLIX_BUILD_FUZZ=ON -DMARLIX_BUILD_TESTS=OFF -DMARLIX_BUILD_BENCH=OFF \
  -DMARLIX_BUILD_DESKTOP=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" >/dev/null

seeds="$root/build/fuzz-seeds"
rm -rf "$seeds"
"$build/fuzz/make_fuzz_seeds" "$seeds" "$root"/tests/data/pinned/*/source "$root/samples/reference"

mkdir -p "$root/build/fuzz-artifacts"
for target in "${targets[@]}"; do
  # A line is short; whole files may be larger than any seed.
  max_len=65536
  [ "$target" = line_rendering ] && max_len=1024
  corpus="$root/build/fuzz-corpus/$target"
  mkdir -p "$corpus"
  echo "fuzzing $target for $seconds s"
  log="$root/build/fuzz-artifacts/$target.log"
  status=0
  "$build/fuzz/${target}_fuzzer" "$corpus" "$seeds/$target" \
    -dict="$root/fuzz/marlix.dict" -max_len="$max_len" -max_total_time="$seconds" \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$root/build/fuzz-artifacts/$target-" >"$log" 2>&1 || status=$?
  grep -E "^stat::(number_of_executed_units|average_exec_per_sec)" "$log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$log" >&2
    echo "$target failed; its log and the input are in build/fuzz-artifacts" >&2
    exit 1
  fi
done

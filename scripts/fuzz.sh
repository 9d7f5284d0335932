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
  # Input limits, chosen for runs per second under the sanitizers:
  # - conversion: 1 KB still holds several files, every line rule and
  #   failures part-way, and short reads (from the input) make the reader
  #   refill its buffer; each run writes a whole set of pages, so larger
  #   inputs mostly repeat that work.
  # - line_reader: past the reader's 16 KB buffer, so that lines cross its
  #   end and are carried over, with read sizes and failures from the input.
  # - line_rendering: a body line and a few topic lines; the runs copied
  #   whole go 16 bytes at a time, so a few hundred bytes cover them.
  case "$target" in
    conversion) max_len=1024 ;;
    line_reader) max_len=20000 ;;
    *) max_len=256 ;;
  esac
  corpus="$root/build/fuzz-corpus/$target"
  mkdir -p "$corpus"
  echo "fuzzing $target for $seconds s"
  log="$root/build/fuzz-artifacts/$target.log"
  status=0
  # -reload=0: one fuzzer alone writes its corpus, so it need not list the
  # corpus folder again every second to find inputs from others.
  "$build/fuzz/${target}_fuzzer" "$corpus" "$seeds/$target" \
    -dict="$root/fuzz/marlix.dict" -max_len="$max_len" -max_total_time="$seconds" \
    -timeout=10 -rss_limit_mb=2048 -reload=0 -print_final_stats=1 \
    -artifact_prefix="$root/build/fuzz-artifacts/$target-" >"$log" 2>&1 || status=$?
  grep -E "^stat::(number_of_executed_units|average_exec_per_sec)" "$log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$log" >&2
    echo "$target failed; its log and the input are in build/fuzz-artifacts" >&2
    exit 1
  fi
done

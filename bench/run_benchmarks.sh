#!/usr/bin/env bash
# Times marlix2html-cli against the floor program on synthetic references of
# 1x and 10x size, and counts its instructions and peak memory.
#
#   bench/run_benchmarks.sh [--strict] [--rounds N] [--fresh-fs] [BUILD_FOLDER]
#
# BUILD_FOLDER (default: build/release) must hold marlix2html-cli,
# bench/generate_reference and bench/write_floor. Corpora and outputs go into
# a fresh temporary folder that is removed at exit (about 1.5 GB at 10x).
#
# For each corpus, one conversion makes the reference output, which the floor
# program packs. Then, after one warm-up round, N rounds (default 11) each run
# three writers of that same output, in an order that rotates from round to
# round: the converter, the floor program (the same files with the same
# bytes, written from memory: one exclusive create, one write and one close
# per file) and "cp -r" of the reference output. Every run writes a fresh
# folder; nothing is deleted until every corpus is measured, so no run
# is measured right after a tree was removed. Reported: for each round the
# ratio converter / floor and cp -r / floor, and their median, min and max.
# With valgrind, also the converter's instructions (callgrind) at 1x and 10x;
# with /usr/bin/time, its peak resident memory at 10x. Targets:
#   converter / floor, median, <= 1.15 at 1x and at 10x
#   instructions at 1x <= 15 million; 10x <= 10.5 x 1x
#   peak resident memory at 10x < 6 MB
# --fresh-fs (root only) makes a new ext4 file system in an image file under
# the temporary folder, mounts it and measures there, so that no run meets
# inodes that earlier deletions left behind; it is unmounted at exit.
# Prints PASS/FAIL/SKIP per target. Exits non-zero on a failed target only
# with --strict; exits 2 on a usage or run error in any case.
set -euo pipefail

die() {
  echo "run_benchmarks.sh: $*" >&2
  exit 2
}

strict=0
fresh_fs=0
rounds=11
build=build/release
build_given=0
while (($#)); do
  case $1 in
    --strict) strict=1 ;;
    --fresh-fs) fresh_fs=1 ;;
    --rounds)
      shift
      [[ ${1:-} =~ ^[1-9][0-9]*$ ]] || die "--rounds needs a positive number"
      rounds=$1
      ;;
    -h | --help)
      sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"
      exit 0
      ;;
    -*) die "unknown option '$1' (see --help)" ;;
    *)
      ((build_given == 0)) || die "more than one build folder given"
      build=$1
      build_given=1
      ;;
  esac
  shift
done

cli=$build/marlix2html-cli
generator=$build/bench/generate_reference
floor=$build/bench/write_floor
[[ -x $cli ]] || die "no converter at '$cli'; build the project first"
[[ -x $generator ]] || die "no generator at '$generator'; build with MARLIX_BUILD_BENCH=ON"
[[ -x $floor ]] || die "no floor program at '$floor'; build with MARLIX_BUILD_BENCH=ON"

# The converter writes on a second thread, so other work on the machine costs
# it more than the one-thread floor program: say so when the processors are
# busy (their use over half a second, from /proc/stat).
if [[ -r /proc/stat ]]; then
  read -r _ u1 n1 s1 i1 w1 q1 sq1 _ </proc/stat
  sleep 0.5
  read -r _ u2 n2 s2 i2 w2 q2 sq2 _ </proc/stat
  total=$(((u2 + n2 + s2 + i2 + w2 + q2 + sq2) - (u1 + n1 + s1 + i1 + w1 + q1 + sq1)))
  idle=$(((i2 + w2) - (i1 + w1)))
  if ((total > 0 && 100 * (total - idle) > 10 * total)); then
    echo "run_benchmarks.sh: warning: the processors are $((100 * (total - idle) / total))% busy;" \
      "other work skews the ratios against the converter, which writes on two threads" >&2
  fi
fi

tmp=$(mktemp -d "${TMPDIR:-/tmp}/marlix-bench.XXXXXX")
trap 'rm -rf -- "$tmp"' EXIT
if ((fresh_fs)); then
  ((EUID == 0)) || die "--fresh-fs needs root (it mounts a file system image)"
  command -v mkfs.ext4 >/dev/null || die "--fresh-fs needs mkfs.ext4"
  image=$tmp.img
  truncate -s 8G "$image"
  mkfs.ext4 -q -F "$image" || die "cannot make a file system in $image"
  mount -o loop "$image" "$tmp" || die "cannot mount $image"
  trap 'umount "$tmp"; rm -rf -- "$tmp" "$image"' EXIT
fi

# Microseconds since the epoch, without starting a process.
now_us() {
  local t=${EPOCHREALTIME//[!0-9]/}
  REPLY=$((10#$t))
}

# timed COMMAND...: runs it quietly, elapsed µs in REPLY; dies when it fails.
timed() {
  local start
  now_us
  start=$REPLY
  if ! "$@" >"$tmp/run.out" 2>"$tmp/run.err"; then
    echo "run_benchmarks.sh: $* failed:" >&2
    cat "$tmp/run.out" "$tmp/run.err" >&2
    exit 2
  fi
  now_us
  REPLY=$((REPLY - start))
}

# stats RATIO...: "median min max" of the numbers given.
stats() {
  printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END {
    m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "%.3f %.3f %.3f", m, v[1], v[NR] }'
}

declare -A conv_stats copy_stats instr rss_kb files conv_ms floor_ms
measure() {
  local scale=$1 src=$tmp/source$1 out=$tmp/out$1 i k order writer
  "$generator" "$src" "$scale" >/dev/null
  mkdir "$out"
  timed "$cli" "$src" "$out" reference
  files[$scale]=$(find "$out/reference" -type f | wc -l)
  "$floor" pack "$out/reference" "$tmp/pack$scale" || die "cannot pack the output"

  local -a conv_ratio=() copy_ratio=() conv_times=() floor_times=()
  local -A took
  for ((i = 0; i <= rounds; i++)); do
    for ((k = 0; k < 3; k++)); do
      order=$(((i + k) % 3))
      case $order in
        0) writer=conv; timed "$cli" "$src" "$out" "conv$i" ;;
        1) writer=floor; timed "$floor" write "$tmp/pack$scale" "$out" "floor$i" ;;
        2) writer=copy; timed cp -r -- "$out/reference" "$out/copy$i" ;;
      esac
      took[$writer]=$REPLY
    done
    ((i > 0)) || continue # round 0 warms up
    conv_ratio+=("$(awk -v a="${took[conv]}" -v b="${took[floor]}" 'BEGIN { print a / b }')")
    copy_ratio+=("$(awk -v a="${took[copy]}" -v b="${took[floor]}" 'BEGIN { print a / b }')")
    conv_times+=("${took[conv]}")
    floor_times+=("${took[floor]}")
  done
  conv_stats[$scale]=$(stats "${conv_ratio[@]}")
  copy_stats[$scale]=$(stats "${copy_ratio[@]}")
  conv_ms[$scale]=$(stats "${conv_times[@]}" | awk '{ printf "%.1f", $1 / 1000 }')
  floor_ms[$scale]=$(stats "${floor_times[@]}" | awk '{ printf "%.1f", $1 / 1000 }')

  instr[$scale]=""
  if command -v valgrind >/dev/null; then
    valgrind --tool=callgrind --callgrind-out-file="$tmp/callgrind$scale" \
      "$cli" "$src" "$out" instructions >/dev/null 2>"$tmp/valgrind$scale" ||
      die "valgrind run failed: $(cat "$tmp/valgrind$scale")"
    instr[$scale]=$(awk '/Collected :/ { print $NF }' "$tmp/valgrind$scale")
  fi
  rss_kb[$scale]=""
  if [[ -x /usr/bin/time ]]; then
    /usr/bin/time -f %M -o "$tmp/rss$scale" "$cli" "$src" "$out" memory >/dev/null 2>&1 ||
      die "the memory run failed"
    rss_kb[$scale]=$(tail -n 1 "$tmp/rss$scale")
  fi
  # Nothing is removed before the last measurement: on ext4, files created
  # soon after many were deleted cost several times more.
}

measure 1
measure 10

echo "rounds: $rounds (after one warm-up round); ratios are paired within each round"
printf '%-6s %9s %10s %9s %-26s %-26s %13s %8s\n' corpus "out files" "convert ms" "floor ms" \
  "convert/floor med min max" "cp -r/floor med min max" instructions "peak MB"
for scale in 1 10; do
  peak=n/a
  [[ -z ${rss_kb[$scale]} ]] || peak=$(awk -v kb="${rss_kb[$scale]}" 'BEGIN { printf "%.1f", kb / 1024 }')
  printf '%-6s %9s %10s %9s %-26s %-26s %13s %8s\n' "${scale}x" "${files[$scale]}" \
    "${conv_ms[$scale]}" "${floor_ms[$scale]}" "${conv_stats[$scale]}" "${copy_stats[$scale]}" \
    "${instr[$scale]:-n/a}" "$peak"
done
echo

failed=0
verdict() { # HOLDS TEXT
  if [[ $1 == skip ]]; then
    echo "SKIP  $2"
  elif (($1)); then
    echo "PASS  $2"
  else
    echo "FAIL  $2"
    failed=1
  fi
}
holds() { awk "BEGIN { exit !($1) }" && echo 1 || echo 0; }
for scale in 1 10; do
  median=${conv_stats[$scale]%% *}
  verdict "$(holds "$median <= 1.15")" "${scale}x converter/floor median $median <= 1.15"
done
if [[ -n ${instr[1]} && -n ${instr[10]} ]]; then
  verdict "$(holds "${instr[1]} <= 15000000")" "1x instructions ${instr[1]} <= 15000000"
  growth=$(awk -v a="${instr[10]}" -v b="${instr[1]}" 'BEGIN { printf "%.2f", a / b }')
  verdict "$(holds "$growth <= 10.5")" "10x instructions = $growth x 1x <= 10.5"
else
  verdict skip "instruction counts (no valgrind)"
fi
if [[ -n ${rss_kb[10]} ]]; then
  verdict "$(holds "${rss_kb[10]} < 6 * 1024")" "10x peak RSS ${rss_kb[10]} kB < 6 MB"
else
  verdict skip "10x peak RSS (no /usr/bin/time)"
fi

if ((failed && strict)); then
  exit 1
fi
exit 0

#!/usr/bin/env bash
# Times marlix2html-cli against the floor program on synthetic references of
# 1x and 10x size, and counts its instructions and peak memory.
#
#   bench/run_benchmarks.sh [--strict] [--rounds N] [BUILD_FOLDER]
#
# BUILD_FOLDER (default: build/release) must hold marlix2html-cli,
# bench/generate_reference, bench/write_floor and bench/run_timed. Corpora and
# outputs go into fresh temporary folders that are removed at exit (about
# 1.5 GB at 10x).
#
# The writers are measured on two file systems: a tmpfs, where writing costs
# no disk work, so that the processors' time (user + system) shows what
# converting adds; and a fresh ext4 file system in an image file, where the
# wall time counts. Both need root (they are mounted for the run); without
# it, /dev/shm stands in for the tmpfs and the temporary folder for ext4,
# which the report says.
#
# For each file system and corpus, one conversion makes the reference output,
# which the floor program packs. Then, after one warm-up round, N rounds
# (default 11) each run three writers of that same output, in an order that
# rotates from round to round: the converter, the floor program (the same
# files with the same bytes, written from memory: one exclusive create, one
# write and one close per file) and "cp -r" of the reference output. Every
# run writes a fresh folder; nothing is deleted until the corpus is
# measured, so no run is measured right after a tree was removed. Reported,
# per round and as median, min and max: the converter's wall and processor
# time over the floor program's, and cp -r's wall time over the floor's.
# With valgrind, also the converter's instructions (callgrind) at 1x and 10x;
# with /usr/bin/time, its peak resident memory at 10x. Targets:
#   processor time, converter / floor, median, on the tmpfs   <= 1.3 at 1x and 10x
#   wall time, converter / floor, median, on the fresh ext4   <= 1.3 at 1x and 10x
#   instructions at 1x <= 15 million; 10x <= 10.5 x 1x
#   peak resident memory at 10x < 6 MB
# Prints PASS/FAIL/SKIP per target. Exits non-zero on a failed target only
# with --strict; exits 2 on a usage or run error in any case.
set -euo pipefail

die() {
  echo "run_benchmarks.sh: $*" >&2
  exit 2
}

strict=0
rounds=11
build=build/release
build_given=0
while (($#)); do
  case $1 in
    --strict) strict=1 ;;
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
timer=$build/bench/run_timed
[[ -x $cli ]] || die "no converter at '$cli'; build the project first"
for tool in "$generator" "$floor" "$timer"; do
  [[ -x $tool ]] || die "no '$tool'; build with MARLIX_BUILD_BENCH=ON"
done

# Other work on the machine makes every timing noisier: say so when the
# processors are busy (their use over half a second, from /proc/stat).
if [[ -r /proc/stat ]]; then
  read -r _ u1 n1 s1 i1 w1 q1 sq1 _ </proc/stat
  sleep 0.5
  read -r _ u2 n2 s2 i2 w2 q2 sq2 _ </proc/stat
  total=$(((u2 + n2 + s2 + i2 + w2 + q2 + sq2) - (u1 + n1 + s1 + i1 + w1 + q1 + sq1)))
  idle=$(((i2 + w2) - (i1 + w1)))
  if ((total > 0 && 100 * (total - idle) > 10 * total)); then
    echo "run_benchmarks.sh: warning: the processors are $((100 * (total - idle) / total))% busy;" \
      "the timings will be noisy" >&2
  fi
fi

tmp=$(mktemp -d "${TMPDIR:-/tmp}/marlix-bench.XXXXXX")
mounts=()
cleanup() {
  local m
  for m in "${mounts[@]}"; do umount "$m" 2>/dev/null || true; done
  rm -rf -- "$tmp"
  [[ -z ${shm:-} ]] || rm -rf -- "$shm"
}
trap cleanup EXIT

# The two file systems to write on: name and folder.
mkdir "$tmp/tmpfs" "$tmp/ext4"
if ((EUID == 0)) && mount -t tmpfs -o size=4g tmpfs "$tmp/tmpfs" 2>/dev/null; then
  mounts+=("$tmp/tmpfs")
  tmpfs_place=$tmp/tmpfs tmpfs_name="tmpfs (fresh)"
elif [[ -d /dev/shm && -w /dev/shm ]]; then
  shm=$(mktemp -d /dev/shm/marlix-bench.XXXXXX)
  tmpfs_place=$shm tmpfs_name="tmpfs (/dev/shm)"
else
  tmpfs_place=$tmp/tmpfs tmpfs_name="no tmpfs: $(df --output=fstype "$tmp" | tail -n 1)"
fi
if ((EUID == 0)) && command -v mkfs.ext4 >/dev/null; then
  truncate -s 8G "$tmp/ext4.img"
  mkfs.ext4 -q -F "$tmp/ext4.img" || die "cannot make a file system in $tmp/ext4.img"
  mount -o loop "$tmp/ext4.img" "$tmp/ext4" || die "cannot mount $tmp/ext4.img"
  mounts+=("$tmp/ext4")
  ext4_place=$tmp/ext4 ext4_name="ext4 (fresh)"
else
  ext4_place=$tmp/ext4 ext4_name="not fresh: $(df --output=fstype "$tmp" | tail -n 1)"
fi

# timed COMMAND...: runs it, "wall cpu" in µs in REPLY; dies when it fails.
timed() {
  REPLY=$("$timer" "$@") || die "$* failed"
}

# stats NUMBER...: "median min max" of the numbers given.
stats() {
  printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END {
    m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "%.3f %.3f %.3f", m, v[1], v[NR] }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { print a / b }'; }

declare -A wall_stats cpu_stats copy_stats conv_ms floor_ms files
# measure PLACE SCALE: the three writers on the file system at PLACE.
measure() {
  local place=$1 scale=$2 src=$tmp/source$2 out=$1/out$2 i k writer
  local key="$place $scale"
  mkdir "$out"
  "$cli" "$src" "$out" reference >/dev/null || die "the reference conversion failed"
  files[$key]=$(find "$out/reference" -type f | wc -l)
  rm -f "$tmp/pack$scale"
  "$floor" pack "$out/reference" "$tmp/pack$scale" || die "cannot pack the output"

  local -a wall=() cpu=() copy=() conv_times=() floor_times=()
  local -A took
  for ((i = 0; i <= rounds; i++)); do
    for ((k = 0; k < 3; k++)); do
      case $(((i + k) % 3)) in
        0) writer=conv; timed "$cli" "$src" "$out" "conv$i" ;;
        1) writer=floor; timed "$floor" write "$tmp/pack$scale" "$out" "floor$i" ;;
        2) writer=copy; timed cp -r -- "$out/reference" "$out/copy$i" ;;
      esac
      took[$writer]=$REPLY
    done
    ((i > 0)) || continue # round 0 warms up
    wall+=("$(ratio "${took[conv]% *}" "${took[floor]% *}")")
    cpu+=("$(ratio "${took[conv]#* }" "${took[floor]#* }")")
    copy+=("$(ratio "${took[copy]% *}" "${took[floor]% *}")")
    conv_times+=("${took[conv]% *}")
    floor_times+=("${took[floor]% *}")
  done
  wall_stats[$key]=$(stats "${wall[@]}")
  cpu_stats[$key]=$(stats "${cpu[@]}")
  copy_stats[$key]=$(stats "${copy[@]}")
  conv_ms[$key]=$(stats "${conv_times[@]}" | awk '{ printf "%.1f", $1 / 1000 }')
  floor_ms[$key]=$(stats "${floor_times[@]}" | awk '{ printf "%.1f", $1 / 1000 }')
}

for scale in 1 10; do "$generator" "$tmp/source$scale" "$scale" >/dev/null; done
for place in "$tmpfs_place" "$ext4_place"; do
  for scale in 1 10; do measure "$place" "$scale"; done
done

declare -A instr rss_kb
mkdir "$tmp/single"
for scale in 1 10; do
  instr[$scale]=""
  if command -v valgrind >/dev/null; then
    valgrind --tool=callgrind --callgrind-out-file="$tmp/callgrind$scale" \
      "$cli" "$tmp/source$scale" "$tmp/single" "instructions$scale" >/dev/null \
      2>"$tmp/valgrind$scale" || die "valgrind run failed: $(cat "$tmp/valgrind$scale")"
    instr[$scale]=$(awk '/Collected :/ { print $NF }' "$tmp/valgrind$scale")
  fi
done
rss_kb[10]=""
if [[ -x /usr/bin/time ]]; then
  /usr/bin/time -f %M -o "$tmp/rss10" "$cli" "$tmp/source10" "$tmp/single" memory >/dev/null \
    2>&1 || die "the memory run failed"
  rss_kb[10]=$(tail -n 1 "$tmp/rss10")
fi

echo "rounds: $rounds (after one warm-up round); ratios are paired within each round"
printf '%-18s %-6s %9s %10s %9s %-24s %-24s %-24s\n' "file system" corpus "out files" \
  "convert ms" "floor ms" "cpu conv/floor med min max" "wall conv/floor med min max" \
  "wall cp -r/floor"
for place in "$tmpfs_place" "$ext4_place"; do
  name=$tmpfs_name
  [[ $place == "$ext4_place" ]] && name=$ext4_name
  for scale in 1 10; do
    key="$place $scale"
    printf '%-18s %-6s %9s %10s %9s %-24s %-24s %-24s\n' "$name" "${scale}x" "${files[$key]}" \
      "${conv_ms[$key]}" "${floor_ms[$key]}" "${cpu_stats[$key]}" "${wall_stats[$key]}" \
      "${copy_stats[$key]}"
  done
done
peak=n/a
[[ -z ${rss_kb[10]} ]] || peak=$(awk -v kb="${rss_kb[10]}" 'BEGIN { printf "%.1f", kb / 1024 }')
echo "instructions: 1x ${instr[1]:-n/a}, 10x ${instr[10]:-n/a}; peak memory at 10x: $peak MB"
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
  median=${cpu_stats["$tmpfs_place $scale"]%% *}
  verdict "$(holds "$median <= 1.3")" "${scale}x processor time converter/floor on $tmpfs_name: median $median <= 1.3"
  median=${wall_stats["$ext4_place $scale"]%% *}
  verdict "$(holds "$median <= 1.3")" "${scale}x wall time converter/floor on $ext4_name: median $median <= 1.3"
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

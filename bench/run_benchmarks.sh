#!/usr/bin/env bash
# Times marlix2html-cli on synthetic references of 1x and 10x size.
#
#   bench/run_benchmarks.sh [--strict] [BUILD_FOLDER]
#
# BUILD_FOLDER (default: build) must hold marlix2html-cli and
# bench/generate_reference. The corpora and every output go into a fresh
# temporary folder that is removed at exit (about 0.5 GB at its fullest).
#
# For each corpus: the best wall-clock time of 5 conversions (each into a new
# output folder), the best of 5 "cp -r" of the produced output folder (the
# floor: writing the same files without converting anything), and the peak
# resident memory of one more conversion. Conversions and copies take turns,
# each after an untimed sync, so that machine noise hits both alike. Targets:
#   1x conversion  <= 1.5 x its cp -r time
#   10x conversion <= 12 x the 1x conversion
#   10x peak RSS   <  16 MB
# Prints PASS/FAIL per target. Exits non-zero on a failed target only with
# --strict; exits 2 on a usage or run error in any case.
set -euo pipefail

readonly runs=5

usage() {
  sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"
}

die() {
  echo "run_benchmarks.sh: $*" >&2
  exit 2
}

strict=0
build=build
build_given=0
for arg in "$@"; do
  case $arg in
    --strict) strict=1 ;;
    -h | --help) usage; exit 0 ;;
    -*) die "unknown option '$arg' (see --help)" ;;
    *)
      ((build_given == 0)) || die "more than one build folder given"
      build=$arg
      build_given=1
      ;;
  esac
done

cli=$build/marlix2html-cli
generator=$build/bench/generate_reference
[[ -x $cli ]] || die "no converter at '$cli'; build the project first"
[[ -x $generator ]] || die "no generator at '$generator'; build with MARLIX_BUILD_BENCH=ON"

tmp=$(mktemp -d "${TMPDIR:-/tmp}/marlix-bench.XXXXXX")
trap 'rm -rf -- "$tmp"' EXIT

# Microseconds since the epoch, without starting a process.
now_us() {
  local t=${EPOCHREALTIME//[!0-9]/}
  REPLY=$((10#$t))
}

# convert SOURCE DESTINATION_PARENT NAME: one conversion; elapsed µs in REPLY.
convert() {
  local start
  now_us
  start=$REPLY
  if ! "$cli" "$1" "$2" "$3" >"$tmp/cli.out" 2>"$tmp/cli.err"; then
    echo "run_benchmarks.sh: $cli $1 $2 $3 failed:" >&2
    cat "$tmp/cli.out" "$tmp/cli.err" >&2
    exit 2
  fi
  now_us
  REPLY=$((REPLY - start))
}

# Peak resident memory in kB of one conversion, in REPLY ("" when unknown).
peak_rss_kb() {
  REPLY=""
  if [[ -x /usr/bin/time ]]; then
    /usr/bin/time -f %M -o "$tmp/rss" "$cli" "$@" >/dev/null 2>"$tmp/cli.err" ||
      die "$cli $* failed: $(cat "$tmp/cli.err")"
    REPLY=$(tail -n 1 "$tmp/rss")
  elif command -v python3 >/dev/null; then
    REPLY=$(python3 -c '
import resource, subprocess, sys
code = subprocess.call(sys.argv[1:], stdout=subprocess.DEVNULL)
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss if code == 0 else "")
' "$cli" "$@") || REPLY=""
    [[ -n $REPLY ]] || die "$cli $* failed"
  fi
}

# measure SCALE: fills the result arrays for one corpus. Conversions and
# copies take turns, so that both meet the same state of the machine; the
# page cache is flushed (untimed) before each, and nothing is deleted until
# all runs of the corpus are done.
declare -A bytes topics files conv_us copy_us rss_kb
measure() {
  local scale=$1 src=$tmp/source$1 dst=$tmp/output$1 copies=$tmp/copies$1
  local i start best_conv='' best_copy=''
  "$generator" "$src" "$scale" >/dev/null
  bytes[$scale]=$(cat "$src"/* | wc -c)
  topics[$scale]=$(awk 'FNR > 1 && /^:/ { n++ } END { print n + 0 }' "$src"/*)
  mkdir "$dst" "$copies"

  for ((i = 1; i <= runs; i++)); do
    sync
    convert "$src" "$dst" "run$i"
    if [[ -z $best_conv ]] || ((REPLY < best_conv)); then best_conv=$REPLY; fi

    sync
    now_us
    start=$REPLY
    cp -r -- "$dst/run$i" "$copies/copy$i"
    now_us
    REPLY=$((REPLY - start))
    if [[ -z $best_copy ]] || ((REPLY < best_copy)); then best_copy=$REPLY; fi
  done
  conv_us[$scale]=$best_conv
  copy_us[$scale]=$best_copy
  files[$scale]=$(find "$dst/run1" -type f | wc -l)

  sync
  peak_rss_kb "$src" "$dst" rss
  rss_kb[$scale]=$REPLY
  rm -rf -- "$src" "$dst" "$copies"
}

measure 1
measure 10

ms() { awk -v us="$1" 'BEGIN { printf "%.1f", us / 1000 }'; }

printf '%-7s %13s %7s %8s %11s %9s %6s %9s\n' \
  corpus "source bytes" topics "out files" "convert ms" "cp -r ms" ratio "peak MB"
for scale in 1 10; do
  ratio=$(awk -v a="${conv_us[$scale]}" -v b="${copy_us[$scale]}" \
    'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }')
  if [[ -n ${rss_kb[$scale]} ]]; then
    peak=$(awk -v kb="${rss_kb[$scale]}" 'BEGIN { printf "%.1f", kb / 1024 }')
  else
    peak=n/a
  fi
  printf '%-7s %13s %7s %8s %11s %9s %6s %9s\n' "${scale}x" "${bytes[$scale]}" \
    "${topics[$scale]}" "${files[$scale]}" "$(ms "${conv_us[$scale]}")" \
    "$(ms "${copy_us[$scale]}")" "$ratio" "$peak"
done
echo

failed=0
verdict() { # CONDITION_HOLDS TEXT
  if (($1)); then
    echo "PASS  $2"
  else
    echo "FAIL  $2"
    failed=1
  fi
}
verdict "2 * ${conv_us[1]} <= 3 * ${copy_us[1]}" \
  "1x conversion $(ms "${conv_us[1]}") ms <= 1.5 x cp -r $(ms "${copy_us[1]}") ms"
verdict "${conv_us[10]} <= 12 * ${conv_us[1]}" \
  "10x conversion $(ms "${conv_us[10]}") ms <= 12 x 1x conversion $(ms "${conv_us[1]}") ms"
if [[ -n ${rss_kb[10]} ]]; then
  verdict "${rss_kb[10]} < 16 * 1024" "10x peak RSS ${rss_kb[10]} kB < 16 MB"
else
  echo "SKIP  10x peak RSS < 16 MB (neither /usr/bin/time nor python3 found)"
  failed=1
fi

if ((failed && strict)); then
  exit 1
fi
exit 0

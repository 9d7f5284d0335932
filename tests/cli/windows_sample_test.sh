#!/usr/bin/env bash
# The Windows command line program, run under Wine, against the Linux one:
# the same --version text, the same summary of the sample reference's
# conversion, a tree byte-identical to the Linux conversion's (the web edition
# and the e-book too), and the same
# exit status when the folder exists already.
#   windows_sample_test.sh EMULATOR CLI_EXE SAMPLE_FOLDER LINUX_CLI SCRATCH
set -euo pipefail
emulator="$1" cli="$2" samples="$3" linux_cli="$4" scratch="$5"
failures=0
fail() { echo "windows_sample_test: FAIL: $*" >&2; failures=$((failures + 1)); }
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
# The Windows program's standard output, without its CR before each LF.
run_windows() { "$emulator" "$cli" "$@" | tr -d '\r'; }

[ -x "$linux_cli" ] || { echo "windows_sample_test: no Linux command line at $linux_cli" >&2; exit 1; }
rm -rf "$scratch"
mkdir -p "$scratch"

windows_version="$(run_windows --version)" || fail "--version exited with $?"
[ "$windows_version" = "$("$linux_cli" --version)" ] ||
  fail "--version says '$windows_version'"

windows_summary="$(run_windows "$(windows_path "$samples")" "$(windows_path "$scratch")" windows)" ||
  fail "the conversion exited with $?"
linux_summary="$("$linux_cli" "$samples" "$scratch" linux)" || fail "the Linux conversion exited with $?"
# The counts before the path of Index.htm, which each spells its own way.
[ "${windows_summary%%: *}" = "${linux_summary%%: *}" ] ||
  fail "the summary is '$windows_summary', the Linux one '$linux_summary'"
[ "${windows_summary#*: }" = "$(windows_path "$scratch")\\windows\\Index.htm" ] ||
  fail "the summary names '${windows_summary#*: }'"
[ -f "$scratch/windows/Index.htm" ] || fail "no Index.htm was written"
diff -r "$scratch/linux" "$scratch/windows" >/dev/null ||
  fail "the conversion differs from the Linux command line's: $(diff -rq "$scratch/linux" "$scratch/windows" | head -n 3)"

# The other editions, each into a folder of its own under the same NAME (an
# e-book's identifier comes from it): the same bytes. Docsets are not made by
# the Windows build.
for option in --web --epub; do
  mkdir -p "$scratch/w$option" "$scratch/l$option"
  run_windows --quiet "$option" "$(windows_path "$samples")" "$(windows_path "$scratch/w$option")" \
    book >/dev/null || fail "the $option conversion exited with $?"
  "$linux_cli" --quiet "$option" "$samples" "$scratch/l$option" book ||
    fail "the Linux $option conversion exited with $?"
  [ -n "$(ls -A "$scratch/w$option")" ] || fail "$option wrote nothing"
  diff -r "$scratch/l$option" "$scratch/w$option" >/dev/null ||
    fail "the $option conversion differs from the Linux one: $(diff -rq "$scratch/l$option" "$scratch/w$option" | head -n 3)"
done

status=0
"$emulator" "$cli" --quiet "$(windows_path "$samples")" "$(windows_path "$scratch")" windows \
  >/dev/null 2>&1 || status=$?
[ "$status" -eq 3 ] || fail "converting into the existing folder exited with $status, not 3"

if [ "$failures" -ne 0 ]; then
  echo "windows_sample_test: $failures check(s) failed" >&2
  exit 1
fi
echo "windows_sample_test: $(basename "$cli") converts the sample as the Linux build does"

#!/usr/bin/env bash
# The bash completion offers exactly the options that --help lists, short
# and long, and "--"; and nothing when the program cannot be run.
# Usage: check_completion.sh PROGRAM COMPLETION_FILE
set -euo pipefail
program=$1
source "$2"
complete_dash() {  # the command as typed, then the word to complete
  COMP_WORDS=("$1" "$2")
  COMP_CWORD=1
  COMPREPLY=()
  _marlix2html_cli "$1" "$2" "$1"
  printf '%s\n' "${COMPREPLY[@]}" | sort
}
offered=$(complete_dash "$program" -)
listed=$( (echo --; "$program" --help | grep -o -- ' -[a-zA-Z],\| --[a-z][a-z-]*' | tr -d ' ,') | sort -u)
if [ "$offered" != "$listed" ]; then
  echo "completion offers:"; echo "$offered"
  echo "--help lists:"; echo "$listed"
  exit 1
fi
long=$(complete_dash "$program" --w)
[ "$long" = "--web" ] || { echo "--w completes to: $long"; exit 1; }
missing=$(complete_dash "$(dirname "$program")/no-such-program" --)
[ "$missing" = "--" ] || { echo "without the program: $missing"; exit 1; }

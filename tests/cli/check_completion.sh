#!/usr/bin/env bash
# The bash completion offers exactly the long options that --help lists.
# Usage: check_completion.sh PROGRAM COMPLETION_FILE
set -euo pipefail
program=$1
source "$2"
COMP_WORDS=(marlix2html-cli --)
COMP_CWORD=1
_marlix2html_cli
offered=$(printf '%s\n' "${COMPREPLY[@]}" | grep -- '^--.' | sort)
listed=$("$program" --help | grep -o -- '--[a-z][a-z-]*' | sort -u)
if [ "$offered" != "$listed" ]; then
  echo "completion offers:"; echo "$offered"
  echo "--help lists:"; echo "$listed"
  exit 1
fi

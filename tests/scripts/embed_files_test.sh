#!/usr/bin/env bash
# cmake/EmbedFiles.cmake on a text file larger than the program's own: it
# comes back byte for byte (and "0" then a line feed, hex "300a", is no zero
# byte); a text file with a zero byte is refused.
#   embed_files_test.sh EMBED_FILES_CMAKE WORK
set -euo pipefail
embed=$1 work=$2
mkdir -p "$work"
for _ in $(seq 9400); do echo 'PRINT "x"; 10'; done > "$work/big.txt"  # 131600 bytes
cmake -P "$embed" "$work/big.cpp" x.h kBig "$work/big.txt"
written=$(grep -o "'\\\\x[0-9a-f][0-9a-f]'" "$work/big.cpp" | cut -c4-5 | tr -d '\n')
[[ $written == "$(od -An -tx1 -v "$work/big.txt" | tr -d ' \n')" ]] ||
  { echo "the embedded bytes differ from the file's"; exit 1; }
printf 'a\0b' > "$work/zero.txt"
if cmake -P "$embed" "$work/zero.cpp" x.h kZero "$work/zero.txt" 2>/dev/null; then
  echo "a text file with a zero byte was embedded"
  exit 1
fi
echo "ok"

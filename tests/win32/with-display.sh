#!/usr/bin/env bash
# Runs a command with a virtual X server of its own (Wine draws its windows
# there) and stops the server afterwards.
set -euo pipefail
display_file="$(mktemp)"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true; rm -f "$display_file"' EXIT
for _ in $(seq 1 100); do
  [ -s "$display_file" ] && break
  sleep 0.1
done
[ -s "$display_file" ] || { echo "with-display.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(cat "$display_file")"
"$@"

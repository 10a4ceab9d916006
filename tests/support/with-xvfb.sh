#!/usr/bin/env bash
# Runs a command under a private Xvfb server on a free display, then stops it.
# Usage: with-xvfb.sh command [args...]
set -u
fdfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fdfile" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 1 100); do
  [ -s "$fdfile" ] && break
  sleep 0.05
done
if [ ! -s "$fdfile" ]; then
  echo "with-xvfb: Xvfb did not start" >&2
  kill "$xvfb" 2>/dev/null
  rm -f "$fdfile"
  exit 1
fi
export DISPLAY=":$(head -n1 "$fdfile")"
rm -f "$fdfile"
"$@"
status=$?
kill "$xvfb" 2>/dev/null
wait "$xvfb" 2>/dev/null
exit $status

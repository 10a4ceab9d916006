#!/usr/bin/env bash
# Sets everything up and starts the game from the repository, which holds
# config.txt and data/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  echo "pitchroll needs an X display; without one run: xvfb-run -a -s '-screen 0 1280x1024x24' bash scripts/play.sh"
  exit 1
fi
exec build/pitchroll

#!/usr/bin/env bash
# Installs the dependencies, builds the game into build/ and generates the game
# data into data/. Safe to run again: only what changed is rebuilt.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build

# The data generator is deterministic; run it again only when it was rebuilt.
generator=build/tools/pitchroll-datagen
if [ -x "$generator" ] && { [ ! -f data/.generated ] || [ "$generator" -nt data/.generated ]; }; then
  "$generator" data
  touch data/.generated
fi

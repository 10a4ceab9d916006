#!/usr/bin/env bash
# Sets everything up and runs every test: unit, GL and integration tests on the
# normal build, then the unit and GL tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the readers' libFuzzer targets (clang, with
# both sanitizers) for 20 seconds each.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
# Every file includes only the headers of what its CMake target links.
python3 scripts/check-includes.py build

jobs=$(nproc)
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPITCHROLL_SANITIZE=ON \
      -DPITCHROLL_BENCH=OFF >/dev/null
cmake --build build-asan
export UBSAN_OPTIONS=print_stacktrace=1
ASAN_OPTIONS=abort_on_error=1 ctest --test-dir build-asan --output-on-failure -j "$jobs" -L unit
# Mesa's driver keeps allocations of its own until exit; leaks are judged by the unit tests.
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 ctest --test-dir build-asan --output-on-failure -j "$jobs" -L gl

# The fuzz targets start from the game's data generated above and the regression
# corpus in tests/fuzz/corpus; a crash fails the run and leaves its input in
# build-fuzz/fuzz-crashes.
cmake -S . -B build-fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPITCHROLL_FUZZ=ON -DPITCHROLL_BENCH=OFF >/dev/null
cmake --build build-fuzz --target fuzz_targets
tests/fuzz/run-fuzzers.sh build-fuzz 20

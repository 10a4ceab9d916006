#!/usr/bin/env bash
# Runs every fuzz target of a PITCHROLL_FUZZ build for a bounded time each,
# seeded with the game's own data (data/ must be generated) and the regression
# corpus in tests/fuzz/corpus. Inputs found on the way stay in the build
# directory; a crash stops the run and leaves its input there as crash-*.
# Usage: run-fuzzers.sh <fuzz build dir> [seconds per target, default 20]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(realpath "$1")
seconds=${2:-20}
here=tests/fuzz

# target, whether it needs a GL context, then its seed files from the game's data
targets=(
  "xml_reader_fuzz    no  data/levels/*.xml data/util/materials.xml"
  "level_builder_fuzz no  data/levels/*.xml"
  "materials_fuzz     gl  data/util/materials.xml"
  "targa_fuzz         gl  data/Textures/ball_marble.tga data/Textures/target_marker.tga"
  "dds_fuzz           no  data/Textures/*.dds"
  "mesh_import_fuzz   no  data/meshes/bridge.mesh"
  "effect_source_fuzz no  data/shaders/effectShader.cgfx"
  "config_fuzz        no  config.txt"
  "cooked_mesh_fuzz   no"
)

export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$(realpath "$here/lsan-suppressions.txt")
for entry in "${targets[@]}"; do
  read -r name context seeds <<<"$entry"
  work="$build/fuzz-corpus/$name"
  mkdir -p "$work" "$build/fuzz-crashes"
  # Seeds are copied: libFuzzer adds what it finds to the first corpus folder.
  for seed in $seeds; do cp "$seed" "$work/"; done
  mkdir -p "$here/corpus/$name"
  regression=$(realpath "$here/corpus/$name")
  command=("$build/tests/fuzz/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560
           -close_fd_mask=1 -print_final_stats=1 -artifact_prefix="$build/fuzz-crashes/$name-"
           "$work" "$regression")
  echo "Fuzzing $name for ${seconds}s"
  if [ "$context" = gl ]; then
    # Mesa keeps allocations of its own until exit.
    ASAN_OPTIONS=detect_leaks=0 tests/support/with-xvfb.sh "${command[@]}" 2>"$build/fuzz-$name.log" ||
      { tail -40 "$build/fuzz-$name.log"; exit 1; }
  else
    "${command[@]}" 2>"$build/fuzz-$name.log" || { tail -40 "$build/fuzz-$name.log"; exit 1; }
  fi
  grep -E "stat::number_of_executed_units|cov:" "$build/fuzz-$name.log" | tail -2 | tr '\n' ' '
  echo
done

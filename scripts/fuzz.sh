#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer in ./build-fuzz and runs
# each for FUZZ_SECONDS (default 60). A target's corpus lives in
# tests/fuzz/<target>/corpus and is only read; the inputs a run finds and any
# crash files go into the build folder, so a run never writes to the sources.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
build_dir=build-fuzz
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
if [[ ! -f "$build_dir/CMakeCache.txt" ]]; then
  CC=clang CXX=clang++ cmake -S . -B "$build_dir" "${generator[@]}" -DORVEX_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build_dir" --parallel "$(nproc)"

status=0
for dir in tests/fuzz/*/; do
  name=$(basename "$dir")
  target="$build_dir/tests/fuzz/$name/fuzz_$name"
  [[ -x "$target" ]] || { echo "missing fuzz target $target"; status=1; continue; }
  found="$build_dir/fuzz/$name/found"
  artifacts="$build_dir/fuzz/$name/artifacts"
  log="$build_dir/fuzz/$name/fuzz.log"
  mkdir -p "$found" "$artifacts"
  echo "fuzzing $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$artifacts/" \
      "$found" "${dir}corpus" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "crash files of $name are in $artifacts"
    status=1
  fi
  grep -E "stat::number_of_executed_units" "$log" || true
done
exit $status

#!/usr/bin/env bash
# Configures and builds the project in ./build (or $BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
# Configured every time, so warnings stay errors in a folder first set up without them.
if [[ -f "$build_dir/CMakeCache.txt" ]]; then
  cmake -S . -B "$build_dir" -DORVEX_WERROR=ON >/dev/null
else
  cmake -S . -B "$build_dir" "${generator[@]}" -DORVEX_WERROR=ON
fi
cmake --build "$build_dir" --parallel "$(nproc)"

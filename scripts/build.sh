#!/usr/bin/env bash
# Configures and builds the project in ./build (or $BUILD_DIR).
#
#   scripts/build.sh [--quick] [TARGET…]
#
# TARGETs build only those (orvex-programmer, orvex-cli, …); none builds
# everything. --quick is for trying the programs out: no optimisation, no
# debug information, no tests, and each folder's sources compiled as one (a
# unity build), which builds the programs in about a third of the time.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
options=(-DORVEX_WERROR=ON)
if [[ ${1:-} == --quick ]]; then
  shift
  options+=(-DBUILD_TESTING=OFF -DCMAKE_UNITY_BUILD=ON -DCMAKE_UNITY_BUILD_BATCH_SIZE=0
    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-O0)
fi
targets=()
for target in "$@"; do targets+=(--target "$target"); done
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
# Configured every time, so warnings stay errors in a folder first set up without them.
if [[ -f "$build_dir/CMakeCache.txt" ]]; then
  cmake -S . -B "$build_dir" "${options[@]}" >/dev/null
else
  cmake -S . -B "$build_dir" "${generator[@]}" "${options[@]}" >/dev/null
fi
cmake --build "$build_dir" --parallel "$(nproc)" "${targets[@]}"

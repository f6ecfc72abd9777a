#!/usr/bin/env bash
# The developer's loop: builds ./build (or $BUILD_DIR) and runs the test
# suite, nothing more (no packages installed, no fuzzers, sanitizers, Windows
# build or package). Arguments go to ctest: scripts/check.sh -R Station
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
cd "${BUILD_DIR:-build}"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 -j "$(nproc)" "$@"

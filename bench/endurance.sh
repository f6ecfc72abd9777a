#!/usr/bin/env bash
# Runs N whole procedures (default 1000) through the window against the
# simulated unit, reopening the port before each, and prints the process's
# descriptors, threads and resident memory after run 10 and after run N.
# Uses the window tests of ./build (or $BUILD_DIR); builds them if needed.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
[[ -x "$build_dir/tests/ui/ui_tests" ]] || bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ORVEX_ENDURANCE_RUNS=${1:-1000} "$build_dir/tests/ui/ui_tests" \
  --gtest_filter='Window.RunAfterRunLeavesDescriptorsThreadsAndMemoryWhereTheyWere'

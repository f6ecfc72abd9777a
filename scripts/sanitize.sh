#!/usr/bin/env bash
# Builds the whole suite with AddressSanitizer and UndefinedBehaviorSanitizer
# in ./build-asan and runs it. Any finding stops the program under test, so
# the test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=build-asan
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
export QT_QPA_PLATFORM=offscreen

# Light optimisation and line tables only: this build is for finding faults,
# and must not double the time the tests take.
if [[ ! -f "$build_dir/CMakeCache.txt" ]]; then
  cmake -S . -B "$build_dir" "${generator[@]}" -DORVEX_WERROR=ON -DORVEX_SANITIZE=address,undefined \
    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1"
fi

# The test programs also run at build time, to list their cases, so the
# options hold for the build as well.
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The sanitizers look for faults, not for slow growth: the endurance test
# does not need its hundred runs here.
export ORVEX_ENDURANCE_RUNS=20

cmake --build "$build_dir" --parallel "$(nproc)"
(cd "$build_dir" && ctest --output-on-failure --timeout 300 -j "$(nproc)")

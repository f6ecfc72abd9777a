#!/usr/bin/env bash
# Builds the whole suite with AddressSanitizer and UndefinedBehaviorSanitizer
# in ./build-asan and runs it; then builds the tests where threads meet (the
# worker, the window and the station's channels) with ThreadSanitizer in ./build-tsan and runs them.
# Any finding stops the program under test, so the test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
export QT_QPA_PLATFORM=offscreen

# configure DIR SANITIZERS: light optimisation and line tables only, and
# each folder's sources compiled as one (a unity build); these builds are for
# finding faults, and must not double the time the tests take. The main build
# compiles every source on its own, so a missing include still shows there.
configure() {
  [[ -f "$1/CMakeCache.txt" ]] && return
  cmake -S . -B "$1" "${generator[@]}" -DORVEX_WERROR=ON -DORVEX_SANITIZE="$2" -DCMAKE_UNITY_BUILD=ON \
    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" >/dev/null
}

# The test programs also run at build time, to list their cases, so the
# options hold for the build as well.
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Qt is not built with ThreadSanitizer; the suppressions leave its own code
# unjudged and judge only this project's (see the file). A window test reads
# the records with the sqlite3 program: the child QProcess forks from the
# threaded test only to run it, so the sanitizer need not end it.
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:die_after_fork=0:suppressions=$PWD/tests/tsan-suppressions.txt"
# The sanitizers look for faults, not for slow growth: the endurance test
# does not need its hundred runs here.
export ORVEX_ENDURANCE_RUNS=20

configure build-asan address,undefined
cmake --build build-asan --parallel "$(nproc)"
(cd build-asan && ctest --output-on-failure --timeout 300 -j "$(nproc)")

configure build-tsan thread
threaded_tests=(engine/engine_tests ui/ui_tests station/station_tests)
cmake --build build-tsan --parallel "$(nproc)" --target "${threaded_tests[@]##*/}"
for test in "${threaded_tests[@]}"; do
  timeout 900 "build-tsan/tests/$test" --gtest_brief=1
done

#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, checks the
# formatting, runs every test (the display-less ones under Qt's offscreen
# platform), the fuzzers, the whole suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer and the threaded tests under ThreadSanitizer,
# the parts that need no Qt built for Windows and tested under Wine, then
# checks the installation and the Debian package.
#
# Each stage writes everything it says into a log of its own under
# build/test-logs/; the screen gets the lines that tell its result (the whole
# end of the log when it fails), and at the end one line per stage.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
build=${BUILD_DIR:-build}
logs=$build/test-logs
mkdir -p "$logs"
summary=()
failed=0

duration() {
  printf '%dm%02ds' $(($1 / 60)) $(($1 % 60))
}

# stage NAME HIGHLIGHT COMMAND…: runs COMMAND with its output in NAME's log,
# then shows the log's lines that match HIGHLIGHT.
stage() {
  local name=$1 highlight=$2
  shift 2
  local log="$logs/${name// /-}.log" start=$SECONDS result=passed
  echo "== $name"
  "$@" >"$log" 2>&1 || result=FAILED
  grep -E "$highlight" "$log" | head -n 20 | sed 's/^/   /' || true
  if [[ $result == FAILED ]]; then
    failed=1
    tail -n 60 "$log" | sed 's/^/   | /'
  fi
  summary+=("$(printf '%-11s %-7s %7s   %s' "$name" "$result" "$(duration $((SECONDS - start)))" "$log")")
  [[ $result == passed ]]
}

print_summary() {
  echo
  printf '%-11s %-7s %7s   %s\n' stage result time log
  printf '%s\n' "${summary[@]}"
}

ctest_result='tests passed|tests failed|The following tests FAILED|^[[:space:]]+[0-9]+ - '
stage format 'formatted|error:' bash scripts/format.sh --check || true
if stage build 'warning:|error:' bash scripts/build.sh; then
  stage 'unit tests' "$ctest_result" bash scripts/check.sh || true
  stage fuzzers 'fuzzing|number_of_executed_units|crash' bash scripts/fuzz.sh || true
  stage sanitizers "$ctest_result"'|PASSED|FAILED' bash scripts/sanitize.sh || true
  stage windows "$ctest_result" bash scripts/windows.sh || true
  stage package '^Package|check-package' bash scripts/check-package.sh || true
fi
print_summary
exit $failed

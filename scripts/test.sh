#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, runs every test
# (the display-less ones under Qt's offscreen platform), the fuzzers, the
# whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer
# and the threaded tests under ThreadSanitizer, the parts that need no Qt
# built for Windows and tested under Wine,
# then checks the installation and the Debian package.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
(cd "${BUILD_DIR:-build}" && ctest --output-on-failure --timeout 300 -j "$(nproc)")
bash scripts/fuzz.sh
bash scripts/sanitize.sh
bash scripts/windows.sh
bash scripts/check-package.sh

#!/usr/bin/env bash
# Installs what is missing, builds, and makes the Debian package
# orvex_<version>_<arch>.deb in build/ (or $BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
(cd "${BUILD_DIR:-build}" && cpack -G DEB)

#!/usr/bin/env bash
# Formats every C++ source of the repository with .clang-format, or with
# --check only says which ones differ from it (and fails).
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if [[ ${1:-} == --check ]]; then
  clang-format --dry-run -Werror "${sources[@]}"
  echo "${#sources[@]} sources formatted as .clang-format says."
else
  clang-format -i "${sources[@]}"
fi

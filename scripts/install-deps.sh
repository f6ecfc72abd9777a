#!/usr/bin/env bash
# Installs the Debian 12 packages that building, packaging, testing and the demo need,
# or the PACKAGEs given instead (scripts/install-deps.sh xvfb openbox).
# Runs apt-get only when something is missing, so repeated runs are quick.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-serialport-dev qt6-svg-dev libgl1-mesa-dev
  qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  libqt6sql6-sqlite libqt6sql6-psql postgresql sqlite3
  libgtest-dev googletest
  clang libclang-rt-14-dev clang-format
  srecord
  locales
  dpkg-dev desktop-file-utils file lintian man-db groff-base
  g++-mingw-w64-x86-64-posix wine64
)

(($#)) && packages=("$@")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  # dpkg tells of every file it unpacks even with apt quiet: its words go to
  # a log, shown only when the install fails.
  log=$(mktemp)
  trap 'rm -f "$log"' EXIT
  if ! { "${sudo_cmd[@]}" apt-get update -qq &&
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "install-deps: apt-get failed" >&2
    exit 1
  fi
  echo "Installed ${#missing[@]} packages."
fi

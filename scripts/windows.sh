#!/usr/bin/env bash
# Builds the parts that need no Qt (frames, device commands, executor, image
# loader, settings files) for 64-bit Windows with MinGW-w64 in ./build-windows
# and runs their tests there under Wine, in a Wine prefix of the build folder's
# own. The window and the serial port need Qt for Windows, which this machine
# does not have.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=build-windows
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)

fail() {
  echo "windows: $*" >&2
  exit 1
}

# Wine maps COM1 and on to the machine's /dev/ttyS*, and ttyS0 is this
# machine's console: the tests run in a mount namespace of their own where
# each of those is /dev/null, so that nothing that names a COM port can reach
# a real one.
if [[ -z ${ORVEX_SERIAL_HIDDEN:-} ]]; then
  namespace=(unshare --mount --propagation private)
  [[ $(id -u) -ne 0 ]] && namespace+=(--map-root-user)
  ORVEX_SERIAL_HIDDEN=1 exec "${namespace[@]}" bash "$0"
fi
for device in /dev/ttyS*; do
  [[ -e $device ]] && mount --bind /dev/null "$device"
done

# No optimisation and no debug information: this build is for its tests,
# and must not take the test command minutes longer.
if [[ ! -f "$build_dir/CMakeCache.txt" ]]; then
  cmake -S . -B "$build_dir" "${generator[@]}" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DORVEX_WITH_QT=OFF -DORVEX_WERROR=ON -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-O0
fi
cmake --build "$build_dir" --parallel "$(nproc)"

# Statically linked 64-bit Windows programs: they need no MinGW DLL beside them.
programs=("$build_dir"/tests/*/*_tests.exe)
((${#programs[@]})) || fail "no test programs in $build_dir"
for program in "${programs[@]}"; do
  file -b "$program" | grep -q '^PE32+ executable (console) x86-64' || fail "$program is not a 64-bit Windows program"
  x86_64-w64-mingw32-objdump -p "$program" | grep -qiE 'DLL Name: (libstdc|libgcc|libwinpthread)' \
    && fail "$program needs a MinGW DLL"
done

export WINEPREFIX="$PWD/$build_dir/wineprefix" WINEDEBUG=-all
mkdir -p "$WINEPREFIX" "$build_dir/Testing"
# Root may write any file, so under root's Wine a read-only file is not: the
# tests run as "nobody", who owns the prefix and ctest's records.
runner=()
if [[ $(id -u) -eq 0 ]]; then
  chown -R nobody: "$WINEPREFIX" "$build_dir/Testing"
  runner=(setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$WINEPREFIX")
fi
# One server for all the test programs, instead of one started and stopped
# with each. The first start creates the prefix (about 10 s) and Wine's own
# services, which stay with the server: started here, they do not hold the
# output of the first test open, for which ctest would wait.
"${runner[@]}" bash -c '
  set -euo pipefail
  wine=/usr/lib/wine/wine64
  wineserver=/usr/lib/wine/wineserver
  "$wineserver" -p
  trap "\"$wineserver\" -k 2>/dev/null || true" EXIT
  "$wine" cmd /c exit >/dev/null 2>&1
  cd "$1" && ctest --output-on-failure --timeout 300
' windows-tests "$build_dir"

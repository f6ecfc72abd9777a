#!/usr/bin/env bash
# Installs what is missing, builds, and runs the programmer against the
# simulated unit, never a real serial port. With a display it starts the
# window from a demo folder of its own (build/demo): the sample firmware is
# the current file and every step is ticked, so "Wykonaj Program" (or Enter)
# erases, blank-tests, programs, verifies and reads the unit, then asks where
# to save what was read. Without a display the same procedure runs through
# orvex-cli and the read-back is compared with the image.
#
# It builds only the three programs it runs, quickly and in a folder of its
# own (build-demo), so that it never waits for the tests and never changes
# how ./build is configured.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${BUILD_DIR:-build-demo}
BUILD_DIR=$build bash scripts/build.sh --quick orvex-programmer orvex-cli orvex-sim
source scripts/lib/demo-folder.sh

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  demo="$build/demo"
  prepare_demo_folder "$build" "$demo"
  start_demo_unit "$build/tools/sim/orvex-sim" "$demo"
  trap 'kill "$demo_unit_pid" 2>/dev/null; wait "$demo_unit_pid" 2>/dev/null' EXIT
  echo "Simulated programmer unit on $(head -n1 "$demo/sim.out"), COM1 in $demo/config.cfg"
  echo "Starting $demo/orvex-programmer; close the window to end the demo."
  "$demo/orvex-programmer"
  exit 0
fi

work=$(mktemp -d)
trap 'kill "${demo_unit_pid:-}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
start_demo_unit "$build/tools/sim/orvex-sim" "$work"

echo "No display: the window needs one, so orvex-cli runs the same procedure."
echo "Simulated programmer unit on $(head -n1 "$work/sim.out")"
echo "orvex-cli -p $work/unit -d -e -b -w -v -r readback.bin samples/demo-firmware.hex"
"$build/src/cli/orvex-cli" -p "$work/unit" -d -e -b -w -v -r "$work/readback.bin" samples/demo-firmware.hex

# Gaps between records read 0xFF, as in an erased flash.
srec_cat samples/demo-firmware.hex -Intel -fill 0xFF -over samples/demo-firmware.hex -Intel -o "$work/image.bin" -Binary
size=$(stat -c %s "$work/image.bin")
if cmp -s -n "$size" "$work/image.bin" "$work/readback.bin"; then
  echo "Read back $(stat -c %s "$work/readback.bin") bytes; the first $size match the firmware image."
else
  echo "Read-back differs from the firmware image" >&2
  exit 1
fi

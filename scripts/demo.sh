#!/usr/bin/env bash
# Installs what is missing, builds, and runs the programmer against the
# simulated unit: the sample firmware is erased, blank-checked, programmed,
# verified and read back, and the read-back is compared with the image.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
build=${BUILD_DIR:-build}

work=$(mktemp -d)
"$build/tools/sim/orvex-sim" --link "$work/unit" >"$work/sim.out" &
sim=$!
trap 'kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do [[ -e "$work/unit" ]] && break; sleep 0.05; done

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

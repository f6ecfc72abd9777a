#!/usr/bin/env bash
# Takes docs/window.png: the window on a virtual X display after a whole run
# against the simulated unit (every step ticked, the read-back saved); and
# docs/station.png: the station window after a numbering job on four
# simulated units at once, the third of which refuses a block.
# Installs Xvfb, a window manager for the title bar, xdotool and ImageMagick
# when they are missing; needs a build (scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/demo-folder.sh
build=${BUILD_DIR:-build}
display=${SCREENSHOT_DISPLAY:-:97}

bash scripts/install-deps.sh xvfb openbox xdotool imagemagick

# The pictures show where an operator keeps firmware, not where this checkout
# is: the script runs in a mount namespace of its own with an empty /home, in
# which /home/operator holds the firmware folder and the station's line.
if [[ -z ${ORVEX_SCREENSHOT_HOME:-} ]]; then
  namespace=(unshare --mount --propagation private)
  [[ $(id -u) -ne 0 ]] && namespace+=(--map-root-user)
  ORVEX_SCREENSHOT_HOME=1 exec "${namespace[@]}" bash "$0" "$@"
fi
mount -t tmpfs tmpfs /home
firmware_dir=/home/operator/firmware
mkdir -p "$firmware_dir"
cp samples/demo-firmware.hex "$firmware_dir/"

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=$display XDG_RUNTIME_DIR=$work/runtime
unset WAYLAND_DISPLAY
mkdir -m 700 "$XDG_RUNTIME_DIR"
for _ in $(seq 100); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)

prepare_demo_folder "$build" "$work/demo" "$firmware_dir/demo-firmware.hex"
start_demo_unit "$build/tools/sim/orvex-sim" "$work/demo"
pids+=("$demo_unit_pid")
"$work/demo/orvex-programmer" >"$work/window.log" 2>&1 &
pids+=($!)

window=$(xdotool search --sync --name "Programator Orvex" | head -n1)
sleep 1
xdotool windowactivate --sync "$window" key Return

# Every step is ticked, so the run ends with the save dialog; the run's
# success line comes once it is answered.
save=$(timeout 60 xdotool search --sync --name "Zapisz jako" | head -n1)
xdotool windowactivate --sync "$save" type --delay 20 "readback"
xdotool key Return
for _ in $(seq 100); do [[ -s "$work/demo/readback.bin" ]] && break; sleep 0.1; done
[[ -s "$work/demo/readback.bin" ]] || { echo "the read-back was not saved" >&2; exit 1; }
sleep 1

mkdir -p docs
import -frame -window "$window" docs/window.png
echo "docs/window.png: $(identify -format '%wx%h' docs/window.png); read back $(stat -c %s "$work/demo/readback.bin") bytes"

# The station: COM1 to COM4 are four simulated units, the job is written by
# orvex-cli as an engineer would, with serial numbers added by hand.
line=/home/operator/line
mkdir -p "$line"
cp "$build/src/station/orvex-station" "$line/"
: >"$line/config.cfg"
for n in 1 2 3 4; do
  faults=()
  [[ $n == 3 ]] && faults=(--refuse program-block:3)
  "$build/tools/sim/orvex-sim" --link "$line/unit$n" "${faults[@]}" >/dev/null 2>&1 &
  pids+=($!)
  printf 'COM%s DEVICE=%s\n\r' "$n" "$line/unit$n" >>"$line/config.cfg"
done
for n in 1 2 3 4; do until [[ -e $line/unit$n ]]; do sleep 0.05; done; done
cli=$(realpath "$build/src/cli/orvex-cli")
(cd "$line" && "$cli" --write-job tv-a.job --job-name TV-A -e -w -v -r 'read-{port}-{serial}.bin' \
  -p COM1 -p COM2 -p COM3 -p COM4 ../firmware/demo-firmware.hex)
printf 'SERIAL_ADDRESS=0x1FF00\nSERIAL_LENGTH=6\nSERIAL_FORMAT=dec\nSERIAL_FIRST=1000\n' >>"$line/tv-a.job"
"$line/orvex-station" "$line/tv-a.job" >"$work/station.log" 2>&1 &
pids+=($!)
station=$(xdotool search --sync --name "Stanowisko Orvex" | head -n1)
xdotool windowsize "$station" 1000 720
sleep 1
xdotool windowactivate --sync "$station" key Return
for _ in $(seq 200); do [[ $(ls "$line"/read-*.bin 2>/dev/null | wc -l) == 3 ]] && break; sleep 0.1; done
[[ $(ls "$line"/read-*.bin 2>/dev/null | wc -l) == 3 ]] || { echo "the three good units were not read back" >&2; exit 1; }
sleep 1
import -frame -window "$station" docs/station.png
echo "docs/station.png: $(identify -format '%wx%h' docs/station.png); $(ls "$line"/read-*.bin | wc -l) units read back"

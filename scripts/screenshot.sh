#!/usr/bin/env bash
# Takes docs/window.png: the window on a virtual X display after a whole run
# against the simulated unit (every step ticked, the read-back saved).
# Installs Xvfb, a window manager for the title bar, xdotool and ImageMagick
# when they are missing; needs a build (scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/demo-folder.sh
build=${BUILD_DIR:-build}
display=${SCREENSHOT_DISPLAY:-:97}

tools=(xvfb openbox xdotool imagemagick)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

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

prepare_demo_folder "$build" "$work/demo"
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

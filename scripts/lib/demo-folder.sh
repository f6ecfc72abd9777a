# Sourced by demo.sh, screenshot.sh and check-package.sh: a folder from which
# the window runs against the simulated unit, with settings of its own, so
# that a real installation's config.cfg and Latest.cfg are never touched.
#
# The window reads its settings from its own directory, so a copy of the
# program goes into the folder (a symlink would not do: the program directory
# is where the executable really lives).

# write_demo_config DIR: config.cfg in DIR with every step ticked. COM1 is
# the simulated unit's tty link DIR/unit; COM2 to COM4 name devices that do
# not exist, so choosing them shows a red lamp instead of opening a real
# serial port.
write_demo_config() {
  local dir=$1
  {
    printf 'READ=1\n\rPROGRAM=1\n\rRELOAD=1\n\rERASE=1\n\rTEST FF=1\n\rVERIFY=1\n\rDETECT=1\n\rCOM=1\n\r'
    printf 'COM1 DEVICE=%s\n\r' "$dir/unit"
    for n in 2 3 4; do printf 'COM%s DEVICE=%s\n\r' "$n" "$dir/no-unit-COM$n"; done
  } >"$dir/config.cfg"
}

# prepare_demo_folder BUILD_DIR DEMO_DIR [FIRMWARE]: a copy of the window with
# the demo settings, FIRMWARE (by default the sample firmware) as the current
# file.
prepare_demo_folder() {
  local build=$1 dir=$2 firmware=${3:-samples/demo-firmware.hex}
  mkdir -p "$dir"
  cp "$build/src/ui/orvex-programmer" "$dir/orvex-programmer"
  write_demo_config "$dir"
  printf 'File 0=%s\n\r' "$(realpath "$firmware")" >"$dir/Latest.cfg"
}

# start_demo_unit SIM_PROGRAM DEMO_DIR: starts orvex-sim in the background
# with its tty linked at DEMO_DIR/unit and waits for the link; sets
# demo_unit_pid. The unit's closing timing report goes to DEMO_DIR/sim.err.
start_demo_unit() {
  local sim=$1 dir=$2
  "$sim" --link "$dir/unit" >"$dir/sim.out" 2>"$dir/sim.err" &
  demo_unit_pid=$!
  for _ in $(seq 100); do [[ -e "$dir/unit" ]] && return 0; sleep 0.05; done
  echo "the simulated unit did not start:" >&2
  cat "$dir/sim.err" >&2
  return 1
}

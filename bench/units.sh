#!/usr/bin/env bash
# A whole cycle (program, verify and read of 131072 bytes) on N simulated
# units at once, for N = 1 2 4 8 (or the counts given), each unit an orvex-sim
# process on its own pty at 115200 bps: through N bare clients (bench/bare),
# through orvex-cli, then through the station window (offscreen unless
# QT_QPA_PLATFORM says otherwise). Prints per N the wall time of each, the
# programs' against the bare clients' of the same run, the processor time per
# unit as a share of one core, and for the window the longest its thread
# was kept busy by its events, with OK or MISSED against the targets (exit
# status 1 when one is missed). The bare clients do the same exchanges with nothing
# else, so what they take is what this machine's wake-ups cost. Each figure
# is the median of $RUNS runs (3 unless set): a shared machine has slow
# moments.
# Uses ./build (or $BUILD_DIR); builds it if needed.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/lib/median.sh
build_dir=${BUILD_DIR:-build}
cli=$build_dir/src/cli/orvex-cli
sim=$build_dir/tools/sim/orvex-sim
station=$build_dir/bench/window/bench_station_cycle
bare=$build_dir/bench/bare/bench_bare_cycle
[[ -x "$cli" && -x "$sim" && -x "$station" && -x "$bare" ]] || bash scripts/build.sh >/dev/null
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
work=$(mktemp -d)
# The simulators are this script's only background jobs.
stop_units() {
  kill $(jobs -p) 2>/dev/null || true
  wait 2>/dev/null || true
  rm -f "$work"/unit*
}
trap 'stop_units; rm -rf "$work"' EXIT
head -c 131072 /dev/urandom >"$work/firmware.bin"

# start_units N: N simulated units, linked at $work/unit1 ... unitN.
start_units() {
  units=()
  for ((i = 1; i <= $1; i++)); do
    "$sim" --line-rate 115200 --link "$work/unit$i" >/dev/null 2>&1 &
    units+=("$work/unit$i")
  done
  for unit in "${units[@]}"; do
    until [[ -e $unit ]]; do sleep 0.05; done
  done
}

# timed FILE COMMAND...: runs COMMAND and leaves "wall user+system" seconds
# of it and its children in FILE (bash's own clock).
timed() {
  local file=$1 TIMEFORMAT='%3R %3U %3S'
  shift
  { time "$@"; } 2>"$file.raw"
  awk '{ print $1, $2 + $3 }' "$file.raw" >"$file"
}

# bare_cycle N: prints "wall user+system" of N bare clients at once, each on
# its own unit: the least the machine can do the same work in.
bare_units() {
  local pids=() index=0
  for unit in "${units[@]}"; do
    index=$((index + 1))
    "$bare" "$unit" "$work/firmware.bin" >"$work/bare$index" &
    pids+=($!)
  done
  local failed=0
  for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
  return $failed
}
bare_cycle() {
  start_units "$1"
  timed "$work/time" bare_units || { cat "$work"/bare* >&2; exit 1; }
  stop_units
  cat "$work/time"
}

# cli_cycle N: prints "wall user+system" of orvex-cli on N units.
cli_cycle() {
  start_units "$1"
  local ports=()
  for unit in "${units[@]}"; do ports+=(-p "$unit"); done
  timed "$work/time" \
    "$cli" --records off "${ports[@]}" -w -v -r "$work/read-{port}.bin" "$work/firmware.bin" >"$work/out"
  [[ $(grep -c "PROGRAM OK" "$work/out") -eq $1 ]] || { cat "$work/out" >&2; exit 1; }
  stop_units
  cat "$work/time"
}

# station_cycle N: prints "wall cpu-share-per-unit longest-busy-ms" of the
# station window on N units.
station_cycle() {
  start_units "$1"
  "$station" "${units[@]}" 2>/dev/null >"$work/station" || { cat "$work/station" >&2; exit 1; }
  stop_units
  sed -E 's/.*cycle ([0-9.]+) s, longest busy stretch ([0-9]+) ms, processor ([0-9.]+) %.*/\1 \3 \2/' "$work/station"
}

runs=${RUNS:-3}

# median FIELD: the median of that column of standard input.
median() {
  awk -v f="$1" '{ print $f }' | median_of_lines
}

# one_run N: the bare clients, orvex-cli and the station one after the other
# on N units, so that the three meet the machine in the same state; prints
# the wall time and processor share per unit of each, the station's longest
# busy stretch, and the two programs' times over the bare clients'.
one_run() {
  local n=$1 bare_wall bare_cpu cli_wall cli_cpu station_wall station_share busy
  read -r bare_wall bare_cpu < <(bare_cycle "$n")
  read -r cli_wall cli_cpu < <(cli_cycle "$n")
  read -r station_wall station_share busy < <(station_cycle "$n")
  awk -v n="$n" -v bw="$bare_wall" -v bc="$bare_cpu" -v cw="$cli_wall" -v cc="$cli_cpu" -v sw="$station_wall" \
    -v ss="$station_share" -v busy="$busy" \
    'BEGIN { print bw, 100 * bc / bw / n, cw, 100 * cc / cw / n, sw, ss, busy, cw / bw, sw / bw }'
}

# The targets, against the bare clients on as many units in the same run.
readonly time_target=1.01     # a program's cycle / the bare clients'
readonly cli_cpu_target=2.5     # orvex-cli's processor share per unit / the bare client's
readonly station_cpu_target=4   # the station's, likewise

counts=("$@")
[[ ${#counts[@]} -gt 0 ]] || counts=(1 2 4 8)
printf '| units | bare client s | CPU %% of a core per unit | orvex-cli s | x bare | CPU %% of a core per unit | orvex-station s | x bare | CPU %% of a core per unit | longest busy stretch ms | targets |\n'
printf '|---|---|---|---|---|---|---|---|---|---|---|\n'
missed=0
for n in "${counts[@]}"; do
  results=$work/results
  : >"$results"
  for ((run = 1; run <= runs; run++)); do one_run "$n" >>"$results"; done
  medians=$(for f in 1 2 3 4 5 6 7 8 9; do median "$f" <"$results"; done | paste -sd' ')
  line=$(awk -v t="$time_target" -v ct="$cli_cpu_target" -v st="$station_cpu_target" -v n="$n" '{
      ok = $8 <= t && $9 <= t && $4 / $2 <= ct && $6 / $2 <= st
      printf "| %d | %.2f | %.2f | %.2f | %.4f | %.2f | %.2f | %.4f | %.2f | %d | %s |\n",
             n, $1, $2, $3, $8, $4, $5, $9, $6, $7, ok ? "OK" : "MISSED" }' <<<"$medians")
  echo "$line"
  [[ $line == *MISSED* ]] && missed=1
done
exit "$missed"

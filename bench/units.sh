#!/usr/bin/env bash
# A whole cycle (program, verify and read of 131072 bytes) on N simulated
# units at once, for N = 1 2 4 8 (or the counts given), each unit an orvex-sim
# process on its own pty at 115200 bps: through orvex-cli, then through the
# station window (offscreen unless QT_QPA_PLATFORM says otherwise). Prints
# per N and program the wall time, its ratio to one unit's and the program's
# processor time per unit as a share of one core, and for the window the
# longest its event loop went without turning. Each figure is the median of
# $RUNS cycles (3 unless set): a shared machine has slow moments.
# Uses ./build (or $BUILD_DIR); builds it if needed.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
cli=$build_dir/src/cli/orvex-cli
sim=$build_dir/tools/sim/orvex-sim
station=$build_dir/bench/window/bench_station_cycle
[[ -x "$cli" && -x "$sim" && -x "$station" ]] || bash scripts/build.sh >/dev/null
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

# cli_cycle N: prints "wall user+system" of orvex-cli on N units.
cli_cycle() {
  start_units "$1"
  local ports=()
  for unit in "${units[@]}"; do ports+=(-p "$unit"); done
  /usr/bin/time -f '%e %U %S' -o "$work/time" \
    "$cli" --records off "${ports[@]}" -w -v -r "$work/read-{port}.bin" "$work/firmware.bin" >"$work/out"
  [[ $(grep -c "PROGRAM OK" "$work/out") -eq $1 ]] || { cat "$work/out" >&2; exit 1; }
  stop_units
  awk '{ print $1, $2 + $3 }' "$work/time"
}

# station_cycle N: prints "wall cpu-share-per-unit longest-gap-ms" of the
# station window on N units.
station_cycle() {
  start_units "$1"
  "$station" "${units[@]}" 2>/dev/null >"$work/station" || { cat "$work/station" >&2; exit 1; }
  stop_units
  sed -E 's/.*cycle ([0-9.]+) s, longest event-loop gap ([0-9]+) ms, processor ([0-9.]+) %.*/\1 \3 \2/' "$work/station"
}

runs=${RUNS:-3}

# median FIELD: the median of that column of standard input.
median() {
  sort -g -k"$1","$1" | awk -v f="$1" '{ v[NR] = $f } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# medians COMMAND N: runs COMMAND N $runs times and prints the median of each
# of its figures.
medians() {
  local results=$work/results
  : >"$results"
  for ((run = 1; run <= runs; run++)); do "$1" "$2" >>"$results"; done
  local fields
  fields=$(awk '{ print NF; exit }' "$results")
  for ((f = 1; f <= fields; f++)); do median "$f" <"$results"; done | paste -sd' '
}

counts=("$@")
[[ ${#counts[@]} -gt 0 ]] || counts=(1 2 4 8)
printf '| units | orvex-cli s | x one unit | CPU %% of a core per unit | orvex-station s | x one unit | CPU %% of a core per unit | longest event-loop gap ms |\n'
printf '|---|---|---|---|---|---|---|---|\n'
cli_one= station_one=
for n in "${counts[@]}"; do
  read -r cli_wall cli_cpu < <(medians cli_cycle "$n")
  read -r station_wall station_share gap < <(medians station_cycle "$n")
  cli_one=${cli_one:-$cli_wall}
  station_one=${station_one:-$station_wall}
  awk -v n="$n" -v w="$cli_wall" -v c="$cli_cpu" -v one="$cli_one" \
    -v sw="$station_wall" -v ss="$station_share" -v sone="$station_one" -v gap="$gap" \
    'BEGIN { printf "| %d | %.2f | %.3f | %.2f | %.2f | %.3f | %.2f | %d |\n",
             n, w, w / one, 100 * c / w / n, sw, sw / sone, ss, gap }'
done

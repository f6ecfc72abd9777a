#!/usr/bin/env bash
# Runs every benchmark and prints one table, each figure beside its target
# with OK or MISSED; exits 1 when a target is missed. Builds first.
#
# A full cycle is program + verify + read of 131072 bytes through orvex-cli
# against orvex-sim at 115200 bps, about 46 s, and again through the window
# (offscreen unless QT_QPA_PLATFORM says otherwise); the cycles behind a USB
# adapter's latency of 1 and 16 ms take about 52 s and 145 s more, and
# --quick leaves them out. Needs GNU time and srecord's srec_cat.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
quick=false
[[ ${1:-} == --quick ]] && quick=true

readonly rate=115200
readonly bits_per_byte=10 # 8N1: start bit, 8 data bits, stop bit

bash scripts/build.sh >/dev/null
work=$(mktemp -d)
sim_pid=
cleanup() {
  [[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

rows=()
missed=0

# value op limit: OK when "value op limit" holds (op is <= or >=).
verdict() {
  awk -v v="$1" -v op="$2" -v l="$3" 'BEGIN { ok = op == "<=" ? v <= l : v >= l; print ok ? "OK" : "MISSED" }'
}

# figure, measured, op, limit, shown target
row() {
  local result
  result=$(verdict "$2" "$3" "$4")
  [[ $result == MISSED ]] && missed=1
  rows+=("| $1 | $2 | $5 | $result |")
}

info_row() {
  rows+=("| $1 | $2 | - | - |")
}

calc() {
  awk "BEGIN { printf \"$1\", $2 }"
}

# The value after name (and after key, when given) in a report of orvex-sim.
stat() {
  awk -v name="$2" -v key="${3:-}" '$1 == name {
      if (key == "") { print $2; exit }
      for (i = 2; i < NF; i++) if ($i == key) { print $(i + 1); exit } }' "$1"
}

cpu_seconds_of() {
  awk -v tick="$(getconf CLK_TCK)" '{ printf "%.3f", ($14 + $15) / tick }' "/proc/$1/stat"
}

# One full cycle behind the given adapter latency; leaves its figures in
# cycle_* variables.
run_cycle() {
  local latency=$1
  local dir=$work/cycle-$latency
  mkdir -p "$dir"
  "$build/tools/sim/orvex-sim" --line-rate "$rate" --latency-ms "$latency" --stats "$dir/stats" \
    --link "$dir/unit" >/dev/null &
  sim_pid=$!
  for _ in $(seq 100); do [[ -e $dir/unit ]] && break; sleep 0.05; done
  local start end
  start=$(date +%s.%N)
  /usr/bin/time -f '%U %S' -o "$dir/cli.time" \
    "$build/src/cli/orvex-cli" -p "$dir/unit" -w -v -r "$dir/read.bin" "$work/image.bin" >"$dir/cli.out" 2>&1 || {
    echo "orvex-cli failed at a latency of $latency ms:" >&2
    cat "$dir/cli.out" >&2
    exit 1
  }
  end=$(date +%s.%N)
  cycle_sim_cpu=$(cpu_seconds_of "$sim_pid")
  kill -TERM "$sim_pid"
  wait "$sim_pid"
  sim_pid=
  cmp -s "$work/image.bin" "$dir/read.bin" || { echo "the read-back differs from the image" >&2; exit 1; }

  local stats=$dir/stats bytes replies
  bytes=$(($(stat "$stats" bytes-received) + $(stat "$stats" bytes-sent)))
  replies=$(stat "$stats" replies)
  cycle_wall=$(calc %.3f "$end - $start")
  cycle_wire=$(calc %.3f "$bytes * $bits_per_byte / $rate")
  # The least a cycle can take: the bytes on the wire, and each reply held.
  cycle_limit=$(calc %.3f "$cycle_wire + $replies * $latency / 1000")
  cycle_ratio=$(calc %.4f "$cycle_wall / $cycle_limit")
  cycle_turnaround_median=$(stat "$stats" pc-turnaround-us median)
  cycle_turnaround_p99=$(stat "$stats" pc-turnaround-us p99)
  cycle_turnaround_total=$(calc %.3f "$(stat "$stats" pc-turnaround-us total) / 1e6")
  cycle_model_loss=$(calc %.3f "$(stat "$stats" unit-lateness-us total) / 1e6 / $cycle_limit * 100")
  cycle_cli_cpu=$(awk -v wall="$cycle_wall" '{ printf "%.2f", ($1 + $2) / wall * 100 }' "$dir/cli.time")
  cycle_sim_cpu=$(calc %.2f "$cycle_sim_cpu / $cycle_wall * 100")
}

head -c 131072 /dev/urandom >"$work/image.bin"

run_cycle 0
row "full cycle at $rate bps: time / wire-time limit" \
  "$cycle_ratio ($cycle_wall s / $cycle_limit s)" "<=" 1.01 "<= 1.01"
row "PC turnaround seen by the unit, median (us)" "$cycle_turnaround_median" "<=" 50 "<= 50"
row "PC turnaround seen by the unit, 99th percentile (us)" "$cycle_turnaround_p99" "<=" 300 "<= 300"
info_row "PC turnaround seen by the unit, summed over the cycle (s)" "$cycle_turnaround_total"
row "line model's own lateness, share of the cycle (%)" "$cycle_model_loss" "<=" 0.2 "<= 0.2"
row "orvex-cli processor time over the cycle (% of a core)" "$cycle_cli_cpu" "<=" 2 "<= 2"
info_row "orvex-sim processor time over the cycle (% of a core)" "$cycle_sim_cpu"

window_report=$work/window.txt
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/bench/window/bench_window_cycle" >"$window_report" 2>/dev/null ||
  { cat "$window_report" >&2; exit 1; }
window_value() {
  awk -v key="$1" '{ for (i = 1; i < NF; i++) if ($i == key) { v = $(i + 1); sub(",", "", v); print v; exit } }' \
    "$window_report"
}
window_ratio=$(window_value ratio)
row "window cycle, its time / wire time, against orvex-cli's" \
  "$(calc %.4f "$window_ratio / $cycle_ratio") ($window_ratio / $cycle_ratio)" "<=" 1.02 "<= 1.02"
row "window's event loop, longest gap during the cycle (ms)" "$(window_value gap)" "<=" 50 "<= 50"
row "window's refreshes waiting at once, most during the cycle" "$(window_value most-waiting)" "<=" 1 "<= 1"
info_row "window's updates shown during the cycle (6144 blocks, at most one per 40 ms)" "$(window_value refreshes)"
row "window's processor time over the cycle, the unit's thread left out (% of a core)" "$(window_value processor)" \
  "<=" 2 "<= 2"

startup_ms=0
for _ in 1 2 3; do
  startup_report=$(QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/bench/window/bench_window_startup" 2>/dev/null) ||
    { echo "$startup_report" >&2; exit 1; }
  ms=$(awk '{ print $3 }' <<<"$startup_report")
  ((ms > startup_ms)) && startup_ms=$ms
done
row "window start-up with a 4 MiB HEX file as the current one, slowest of 3 (ms)" "$startup_ms" "<=" 1000 "<= 1000"

if ! $quick; then
  for latency in 1 16; do
    run_cycle "$latency"
    row "full cycle behind a $latency ms adapter latency: time / limit" \
      "$cycle_ratio ($cycle_wall s / $cycle_limit s)" "<=" 1.01 "<= 1.01"
  done
fi

image_report=$work/image.txt
"$build/bench/image/bench_image_load" >"$image_report" || { cat "$image_report" >&2; exit 1; }
load_ratio() {
  awk -v what="$1" -v key="$2" 'index($0, what " / srec_cat:") == 1 {
      for (i = 1; i < NF; i++) if ($i == key) { v = $(i + 1); sub(",", "", v); print v; exit } }' "$image_report"
}
for what in "orvex-cli load" "first load"; do
  for key in wall processor; do
    row "$what of a 4 MiB HEX file / srec_cat, $key time" "$(load_ratio "$what" "$key")" "<=" 0.1 "<= 0.10"
  done
done

transfer_report=$work/transfer.txt
"$build/bench/transfer/bench_transfer" >"$transfer_report" || { cat "$transfer_report" >&2; exit 1; }
info_row "exchange without line model, wall per exchange (us)" \
  "$(awk '$1 == "total" { for (i = 1; i < NF; i++) if ($(i + 1) == "us" && $(i + 2) == "wall/exchange,") print $i }' \
    "$transfer_report")"

echo "Measured on $(uname -srm), $(nproc) processors ($(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)),"
echo "load average $(cut -d' ' -f1-3 /proc/loadavg) at the end; $(date -u '+%Y-%m-%d %H:%M UTC')."
echo
echo "| figure | measured | target | verdict |"
echo "|---|---|---|---|"
printf '%s\n' "${rows[@]}"
exit "$missed"

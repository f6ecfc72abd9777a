#!/usr/bin/env bash
# Runs every benchmark and prints one table, each figure beside its target
# with OK or MISSED; exits 1 when a target is missed. Builds first.
#
# A full cycle is program + verify + read of 131072 bytes against orvex-sim at
# 115200 bps, about 46 s: through the bare client (bench/bare), through
# orvex-cli, and through the window (offscreen unless QT_QPA_PLATFORM says
# otherwise), one after the other. How long a cycle takes, how soon the unit
# gets its next request and how much processor time goes depend on how fast
# this machine wakes up, so the programs are measured against the bare
# client, which does the same exchanges with nothing else, in the same run.
# RUNS (1 unless set) runs of the three give the median of each figure. The
# pairs of cycles behind a USB adapter's latency of 1 and 16 ms take about
# 2 x 52 s and 2 x 145 s more, RUNS times each, since one pair alone swings by
# more than its target; --quick leaves them out. Needs srecord's srec_cat.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/lib/median.sh
build=${BUILD_DIR:-build}
quick=false
[[ ${1:-} == --quick ]] && quick=true
runs=${RUNS:-1}

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

# client NAME: the command that runs one cycle of that client (orvex-cli, or
# the bare client of bench/bare) on the unit at $1, reading back into $2.
cli_client() {
  "$build/src/cli/orvex-cli" -p "$1" -w -v -r "$2" "$work/image.bin"
}
bare_client() {
  "$build/bench/bare/bench_bare_cycle" "$1" "$work/image.bin" "$2"
}

# run_cycle CLIENT LATENCY: one full cycle of CLIENT (cli or bare) behind the
# given adapter latency; leaves its figures in cycle_* variables.
run_cycle() {
  local client=$1 latency=$2
  local dir=$work/$client-$latency
  rm -rf "$dir"
  mkdir -p "$dir"
  "$build/tools/sim/orvex-sim" --line-rate "$rate" --latency-ms "$latency" --stats "$dir/stats" \
    --link "$dir/unit" >/dev/null &
  sim_pid=$!
  for _ in $(seq 100); do [[ -e $dir/unit ]] && break; sleep 0.05; done
  # Bash's own clock: wall, user and system seconds of the client.
  local TIMEFORMAT='%3R %3U %3S'
  { time "${client}_client" "$dir/unit" "$dir/read.bin" >"$dir/out" 2>&1; } 2>"$dir/time" || {
    echo "$client failed at a latency of $latency ms:" >&2
    cat "$dir/out" >&2
    exit 1
  }
  local sim_cpu
  sim_cpu=$(cpu_seconds_of "$sim_pid")
  kill -TERM "$sim_pid"
  wait "$sim_pid"
  sim_pid=
  cmp -s "$work/image.bin" "$dir/read.bin" || { echo "$client's read-back differs from the image" >&2; exit 1; }

  local stats=$dir/stats bytes replies
  bytes=$(($(stat "$stats" bytes-received) + $(stat "$stats" bytes-sent)))
  replies=$(stat "$stats" replies)
  cycle_replies=$replies
  cycle_wall=$(awk '{ print $1 }' "$dir/time")
  cycle_wire=$(calc %.3f "$bytes * $bits_per_byte / $rate")
  # The least a cycle can take: the bytes on the wire, and each reply held.
  cycle_limit=$(calc %.3f "$cycle_wire + $replies * $latency / 1000")
  cycle_ratio=$(calc %.4f "$cycle_wall / $cycle_limit")
  cycle_turnaround_median=$(stat "$stats" pc-turnaround-us median)
  cycle_turnaround_p99=$(stat "$stats" pc-turnaround-us p99)
  cycle_turnaround_total=$(calc %.3f "$(stat "$stats" pc-turnaround-us total) / 1e6")
  cycle_model_loss=$(calc %.3f "$(stat "$stats" unit-lateness-us total) / 1e6 / $cycle_limit * 100")
  cycle_cpu=$(awk '{ printf "%.3f", ($2 + $3) / $1 * 100 }' "$dir/time")
  cycle_sim_cpu=$(calc %.2f "$sim_cpu / $cycle_wall * 100")
}

# Figures of several runs, by name: note NAME VALUE adds one, median NAME
# gives the median of those noted.
declare -A noted=()
note() {
  noted[$1]+="$2 "
}
median() {
  tr ' ' '\n' <<<"${noted[$1]}" | sed '/^$/d' | median_of_lines
}

# Both clients one after the other behind the same latency, the bare one
# first, and what orvex-cli took against it.
run_pair() {
  local latency=$1
  run_cycle bare "$latency"
  local bare_wall=$cycle_wall bare_replies=$cycle_replies
  note bare-ratio-$latency "$cycle_ratio"
  note bare-wall-$latency "$cycle_wall"
  note bare-turnaround-median-$latency "$cycle_turnaround_median"
  note bare-turnaround-p99-$latency "$cycle_turnaround_p99"
  note bare-cpu-$latency "$cycle_cpu"
  note bare-model-loss-$latency "$cycle_model_loss"
  local bare_turnaround_median=$cycle_turnaround_median bare_turnaround_p99=$cycle_turnaround_p99 bare_cpu=$cycle_cpu
  run_cycle cli "$latency"
  ((cycle_replies == bare_replies)) ||
    { echo "orvex-cli exchanged $cycle_replies frames, the bare client $bare_replies" >&2; exit 1; }
  note cli-over-bare-$latency "$(calc %.4f "$cycle_wall / $bare_wall")"
  note cli-ratio-$latency "$cycle_ratio"
  note cli-wall-$latency "$cycle_wall"
  note limit-$latency "$cycle_limit"
  note cli-turnaround-median-$latency "$cycle_turnaround_median"
  note cli-turnaround-p99-$latency "$cycle_turnaround_p99"
  note turnaround-median-above-bare-$latency "$(calc %.1f "$cycle_turnaround_median - $bare_turnaround_median")"
  note turnaround-median-over-bare-$latency "$(calc %.3f "$cycle_turnaround_median / $bare_turnaround_median")"
  note turnaround-p99-over-bare-$latency "$(calc %.3f "$cycle_turnaround_p99 / $bare_turnaround_p99")"
  note cli-turnaround-total-$latency "$cycle_turnaround_total"
  note cli-cpu-$latency "$cycle_cpu"
  note cli-cpu-over-bare-$latency "$(calc %.3f "$cycle_cpu / $bare_cpu")"
  note cli-cpu-above-bare-$latency "$(calc %.3f "$cycle_cpu - $bare_cpu")"
  note model-loss-$latency "$cycle_model_loss"
  note sim-cpu-$latency "$cycle_sim_cpu"
  bare_cpu_last=$bare_cpu
  bare_wall_last=$bare_wall
}

head -c 131072 /dev/urandom >"$work/image.bin"

# The window's own report: the value after a key.
window_value() {
  awk -v key="$1" '{ for (i = 1; i < NF; i++) if ($i == key) { v = $(i + 1); sub(",", "", v); print v; exit } }' \
    "$work/window.txt"
}

# Each run: the bare client, orvex-cli and the window, one after the other,
# so that all three meet the machine in the same state.
for ((run = 1; run <= runs; run++)); do
  run_pair 0
  QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/bench/window/bench_window_cycle" >"$work/window.txt" \
    2>/dev/null || { cat "$work/window.txt" >&2; exit 1; }
  note window-ratio "$(window_value ratio)"
  note window-over-bare "$(calc %.4f "$(window_value cycle) / $bare_wall_last")"
  note window-busy "$(window_value stretch)"
  note window-waiting "$(window_value most-waiting)"
  note window-updates "$(window_value updates)"
  note window-cpu "$(window_value processor)"
  note window-cpu-over-bare "$(calc %.3f "$(window_value processor) / $bare_cpu_last")"
  note window-cpu-above-bare "$(calc %.3f "$(window_value processor) - $bare_cpu_last")"
done

row "full cycle at $rate bps: orvex-cli's time / the bare client's" "$(median cli-over-bare-0)" "<=" 1.01 "<= 1.01"
info_row "full cycle: orvex-cli's time / wire-time limit ($(median cli-wall-0) s / $(median limit-0) s)" \
  "$(median cli-ratio-0)"
info_row "full cycle: the bare client's time / wire-time limit ($(median bare-wall-0) s)" "$(median bare-ratio-0)"
row "PC turnaround seen by the unit, median: orvex-cli's / the bare client's" \
  "$(median turnaround-median-over-bare-0)" "<=" 1.5 "<= 1.5"
info_row "PC turnaround, median (us): orvex-cli / the bare client, and the difference" \
  "$(median cli-turnaround-median-0) / $(median bare-turnaround-median-0), $(median turnaround-median-above-bare-0)"
row "PC turnaround seen by the unit, 99th percentile: orvex-cli's / the bare client's" \
  "$(median turnaround-p99-over-bare-0)" "<=" 2 "<= 2"
info_row "PC turnaround, 99th percentile (us): orvex-cli / the bare client" \
  "$(median cli-turnaround-p99-0) / $(median bare-turnaround-p99-0)"
info_row "PC turnaround of orvex-cli, summed over the cycle (s)" "$(median cli-turnaround-total-0)"
info_row "line model's own lateness, share of the cycle (%): with orvex-cli / with the bare client" \
  "$(median model-loss-0) / $(median bare-model-loss-0)"
row "orvex-cli processor time over the cycle / the bare client's" "$(median cli-cpu-over-bare-0)" "<=" 2.5 "<= 2.5"
info_row "processor time over the cycle (% of a core): orvex-cli / the bare client, and the difference (points)" \
  "$(median cli-cpu-0) / $(median bare-cpu-0), $(median cli-cpu-above-bare-0)"
info_row "orvex-sim processor time over the cycle (% of a core)" "$(median sim-cpu-0)"

row "window cycle: its time / the bare client's" "$(median window-over-bare)" "<=" 1.02 "<= 1.02"
info_row "window cycle: its time / wire time" "$(median window-ratio)"
row "window's thread, longest busy stretch during the cycle (ms)" "$(median window-busy)" "<=" 50 "<= 50"
row "window's refreshes waiting at once, most during the cycle" "$(median window-waiting)" "<=" 1 "<= 1"
info_row "window's updates shown during the cycle (6144 blocks, at most one per 100 ms)" "$(median window-updates)"
row "window's processor time over the cycle, the unit's thread left out / the bare client's" \
  "$(median window-cpu-over-bare)" "<=" 4 "<= 4"
info_row "window's processor time over the cycle, the unit's thread left out (% of a core), and above the bare client's (points)" \
  "$(median window-cpu), $(median window-cpu-above-bare)"

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
    for ((run = 1; run <= runs; run++)); do
      run_pair "$latency"
    done
    row "full cycle behind a $latency ms adapter latency: orvex-cli's time / the bare client's" \
      "$(median cli-over-bare-$latency)" "<=" 1.01 "<= 1.01"
    info_row "full cycle behind a $latency ms adapter latency: time / limit, orvex-cli / the bare client" \
      "$(median cli-ratio-$latency) / $(median bare-ratio-$latency)"
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
echo "load average $(cut -d' ' -f1-3 /proc/loadavg) at the end; $(date -u '+%Y-%m-%d %H:%M UTC');"
echo "medians of $runs run(s) of each cycle."
echo
echo "| figure | measured | target | verdict |"
echo "|---|---|---|---|"
printf '%s\n' "${rows[@]}"
exit "$missed"

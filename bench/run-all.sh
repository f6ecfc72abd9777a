#!/usr/bin/env bash
# Runs every benchmark and prints one table, each figure beside its target
# with OK or MISSED; exits 1 when a target is missed. Builds first.
#
# A full cycle is program + verify + read of 131072 bytes against orvex-sim at
# 115200 bps, about 46 s: through orvex-cli, then through the window
# (offscreen unless QT_QPA_PLATFORM says otherwise), each beside a cycle of
# the bare client (bench/bare), which does the same exchanges with nothing
# else. How long a cycle takes, how soon the unit gets its next request and
# how much processor time goes depend on how fast this machine wakes up, and
# a shared machine has slow moments of a second or more, so each program and
# the bare client run at the same time, each on a unit of its own, meet the
# same moments, and the targets are their ratios. RUNS (1 unless set) runs
# give the median of each figure. The cycles behind a USB adapter's latency
# of 1 and 16 ms take about 52 s and 145 s more, RUNS times each, since one
# alone swings by more than its target; --quick leaves them out. Needs
# srecord's srec_cat.
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
# Each unit's simulator leaves its pid in its cycle's folder while it runs.
cleanup() {
  local pid_file
  for pid_file in "$work"/*/sim.pid; do
    [[ -e $pid_file ]] && kill "$(cat "$pid_file")" 2>/dev/null
  done
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

# NAME_client UNIT READBACK: one cycle of that client (the bare client of
# bench/bare, orvex-cli or the window) on the unit at UNIT, reading back into
# READBACK.
bare_client() {
  "$build/bench/bare/bench_bare_cycle" "$1" "$work/image.bin" "$2"
}
cli_client() {
  "$build/src/cli/orvex-cli" -p "$1" -w -v -r "$2" "$work/image.bin"
}
window_client() {
  QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/bench/window/bench_window_cycle" "$1" "$work/image.bin" "$2"
}

# The window's own report in DIR: the value after a key.
window_value() {
  awk -v key="$2" '{ for (i = 1; i < NF; i++) if ($i == key) { v = $(i + 1); sub(",", "", v); print v; exit } }' \
    "$1/out"
}

# NAME_figures DIR: "wall-seconds processor-%-of-a-core" of the cycle whose
# output is in DIR: bash's clock for the two programs, the window's own
# report for the window, whose start-up is not part of its run.
timed_figures() {
  awk '{ printf "%s %.3f", $1, ($2 + $3) / $1 * 100 }' "$1/time"
}
bare_figures() { timed_figures "$1"; }
cli_figures() { timed_figures "$1"; }
window_figures() {
  echo "$(window_value "$1" cycle) $(window_value "$1" processor)"
}

# run_cycle CLIENT LATENCY: one full cycle of CLIENT (bare, cli or window)
# behind the given adapter latency, on a unit of its own; leaves its output
# in $work/CLIENT-LATENCY and its figures there in "figures", a "name value"
# line each.
run_cycle() {
  local client=$1 latency=$2
  local dir=$work/$client-$latency
  rm -rf "$dir"
  mkdir -p "$dir"
  "$build/tools/sim/orvex-sim" --line-rate "$rate" --latency-ms "$latency" --stats "$dir/stats" \
    --link "$dir/unit" >/dev/null &
  local sim_pid=$!
  echo "$sim_pid" >"$dir/sim.pid"
  for _ in $(seq 100); do [[ -e $dir/unit ]] && break; sleep 0.05; done
  # Bash's own clock: wall, user and system seconds of the client.
  local TIMEFORMAT='%3R %3U %3S'
  if ! { time "${client}_client" "$dir/unit" "$dir/read.bin" >"$dir/out" 2>&1; } 2>"$dir/time"; then
    echo "$client failed at a latency of $latency ms:" >&2
    cat "$dir/out" >&2
    return 1
  fi
  local sim_cpu
  sim_cpu=$(cpu_seconds_of "$sim_pid")
  kill -TERM "$sim_pid"
  wait "$sim_pid"
  rm "$dir/sim.pid"
  cmp -s "$work/image.bin" "$dir/read.bin" || { echo "$client's read-back differs from the image" >&2; return 1; }

  local stats=$dir/stats bytes replies wall cpu wire limit
  bytes=$(($(stat "$stats" bytes-received) + $(stat "$stats" bytes-sent)))
  replies=$(stat "$stats" replies)
  read -r wall cpu <<<"$("${client}_figures" "$dir")"
  wire=$(calc %.3f "$bytes * $bits_per_byte / $rate")
  # The least a cycle can take: the bytes on the wire, and each reply held.
  limit=$(calc %.3f "$wire + $replies * $latency / 1000")
  cat >"$dir/figures" <<END
replies $replies
wall $wall
cpu $cpu
limit $limit
ratio $(calc %.4f "$wall / $limit")
turnaround-median $(stat "$stats" pc-turnaround-us median)
turnaround-p99 $(stat "$stats" pc-turnaround-us p99)
turnaround-total $(calc %.3f "$(stat "$stats" pc-turnaround-us total) / 1e6")
model-loss $(calc %.3f "$(stat "$stats" unit-lateness-us total) / 1e6 / $limit * 100")
sim-cpu $(calc %.2f "$sim_cpu / $wall * 100")
END
}

# figure CLIENT LATENCY NAME: one figure of the last such cycle.
figure() {
  awk -v name="$3" '$1 == name { print $2 }' "$work/$1-$2/figures"
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

# beside_bare CLIENT LATENCY: a cycle of CLIENT and one of the bare client
# at the same time, and their figures noted as CLIENT-NAME-LATENCY and
# CLIENT-bare-NAME-LATENCY, with the ratios and differences the table shows.
beside_bare() {
  local client=$1 latency=$2 failed=0 pid
  # Each in a subshell of its own, whose clock counts its own client alone.
  local pids=()
  run_cycle bare "$latency" &
  pids+=($!)
  run_cycle "$client" "$latency" &
  pids+=($!)
  for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
  ((failed == 0)) || exit 1
  local replies bare_replies
  replies=$(figure "$client" "$latency" replies)
  bare_replies=$(figure bare "$latency" replies)
  ((replies == bare_replies)) ||
    { echo "$client exchanged $replies frames, the bare client $bare_replies" >&2; exit 1; }

  local name
  for name in wall ratio limit cpu turnaround-median turnaround-p99 turnaround-total model-loss sim-cpu; do
    note "$client-$name-$latency" "$(figure "$client" "$latency" "$name")"
    note "$client-bare-$name-$latency" "$(figure bare "$latency" "$name")"
  done
  for name in wall cpu turnaround-median turnaround-p99; do
    note "$client-$name-over-bare-$latency" \
      "$(calc %.4f "$(figure "$client" "$latency" "$name") / $(figure bare "$latency" "$name")")"
  done
  for name in cpu turnaround-median; do
    note "$client-$name-above-bare-$latency" \
      "$(calc %.3f "$(figure "$client" "$latency" "$name") - $(figure bare "$latency" "$name")")"
  done
}

head -c 131072 /dev/urandom >"$work/image.bin"

for ((run = 1; run <= runs; run++)); do
  beside_bare cli 0
  beside_bare window 0
  for name in stretch most-waiting updates; do
    note "window-$name" "$(window_value "$work/window-0" "$name")"
  done
done

# cycle_rows CLIENT NAME LATENCY CYCLE-TARGET: the cycle's rows of CLIENT
# (shown as NAME) beside the bare client's.
cycle_rows() {
  local c=$1 name=$2 l=$3
  row "full cycle at $rate bps, adapter latency $l ms: $name's time / the bare client's beside it" \
    "$(median "$c-wall-over-bare-$l")" "<=" "$4" "<= $4"
  info_row "full cycle: time / wire-time limit ($(median "$c-limit-$l") s), $name / the bare client \
($(median "$c-wall-$l") s / $(median "$c-bare-wall-$l") s)" "$(median "$c-ratio-$l") / $(median "$c-bare-ratio-$l")"
}

# turnaround_rows CLIENT NAME: how soon the unit got its next request.
turnaround_rows() {
  local c=$1 name=$2
  info_row "PC turnaround, median (us): $name / the bare client, and the difference" \
    "$(median "$c-turnaround-median-0") / $(median "$c-bare-turnaround-median-0"), \
$(median "$c-turnaround-median-above-bare-0")"
  info_row "PC turnaround, 99th percentile (us): $name / the bare client" \
    "$(median "$c-turnaround-p99-0") / $(median "$c-bare-turnaround-p99-0")"
  info_row "PC turnaround of $name, summed over the cycle (s)" "$(median "$c-turnaround-total-0")"
  info_row "line model's own lateness, share of the cycle (%): with $name / with the bare client" \
    "$(median "$c-model-loss-0") / $(median "$c-bare-model-loss-0")"
}

# cpu_rows CLIENT NAME TARGET: processor time against the bare client's.
cpu_rows() {
  local c=$1 name=$2
  row "$name's processor time over the cycle / the bare client's" "$(median "$c-cpu-over-bare-0")" "<=" "$3" "<= $3"
  info_row "processor time over the cycle (% of a core): $name / the bare client, and the difference (points)" \
    "$(median "$c-cpu-0") / $(median "$c-bare-cpu-0"), $(median "$c-cpu-above-bare-0")"
}

cycle_rows cli orvex-cli 0 1.01
row "PC turnaround seen by the unit, median: orvex-cli's / the bare client's" \
  "$(median cli-turnaround-median-over-bare-0)" "<=" 1.5 "<= 1.5"
row "PC turnaround seen by the unit, 99th percentile: orvex-cli's / the bare client's" \
  "$(median cli-turnaround-p99-over-bare-0)" "<=" 2 "<= 2"
turnaround_rows cli orvex-cli
cpu_rows cli orvex-cli 2.5
info_row "orvex-sim processor time over the cycle (% of a core)" "$(median cli-sim-cpu-0)"

cycle_rows window "the window" 0 1.02
turnaround_rows window "the window"
row "window's thread, longest busy stretch during the cycle (ms)" "$(median window-stretch)" "<=" 50 "<= 50"
row "window's refreshes waiting at once, most during the cycle" "$(median window-most-waiting)" "<=" 1 "<= 1"
info_row "window's updates shown during the cycle (6144 blocks, at most one per 100 ms)" "$(median window-updates)"
cpu_rows window "the window" 4

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
      beside_bare cli "$latency"
    done
    cycle_rows cli orvex-cli "$latency" 1.01
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

#!/usr/bin/env bash
# A whole cycle (program, verify and read of 131072 bytes) through orvex-cli
# on N simulated units at once, for N = 1 2 4 8 (or the counts given), each
# unit on its own pty at 115200 bps. Prints per N the wall time, its ratio to
# one unit's and the processor time per unit as a share of one core.
# Uses ./build (or $BUILD_DIR); builds it if needed.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
cli=$build_dir/src/cli/orvex-cli
sim=$build_dir/tools/sim/orvex-sim
[[ -x "$cli" && -x "$sim" ]] || bash scripts/build.sh
work=$(mktemp -d)
# The simulators are this script's only background jobs.
stop_units() {
  kill $(jobs -p) 2>/dev/null || true
  wait 2>/dev/null || true
}
trap 'stop_units; rm -rf "$work"' EXIT
head -c 131072 /dev/urandom >"$work/firmware.bin"

counts=("$@")
[[ ${#counts[@]} -gt 0 ]] || counts=(1 2 4 8)
printf '| units | wall s | x one unit | CPU %% of a core per unit |\n|---|---|---|---|\n'
single=
for n in "${counts[@]}"; do
  ports=()
  for ((i = 1; i <= n; i++)); do
    "$sim" --line-rate 115200 --link "$work/unit$i" >/dev/null 2>&1 &
    ports+=(-p "$work/unit$i")
  done
  for ((i = 1; i <= n; i++)); do
    until [[ -e $work/unit$i ]]; do sleep 0.05; done
  done
  /usr/bin/time -f '%e %U %S' -o "$work/time" \
    "$cli" --records off "${ports[@]}" -w -v -r "$work/read-{port}.bin" "$work/firmware.bin" >"$work/out"
  [[ $(grep -c "PROGRAM OK" "$work/out") -eq $n ]] || { cat "$work/out"; exit 1; }
  read -r wall user system <"$work/time"
  single=${single:-$wall}
  awk -v n="$n" -v w="$wall" -v u="$user" -v s="$system" -v one="$single" \
    'BEGIN { printf "| %d | %.2f | %.3f | %.2f |\n", n, w, w / one, 100 * (u + s) / w / n }'
  stop_units
  rm -f "$work"/unit*
done

#!/usr/bin/env bash
# The latency-balancing benchmark. One tower of 8 ringers on links of 10, 40
# and 80 ms round trip (ringers 1, 4, 7 / 2, 5, 8 / 3, 6), the delay added in
# tolmer-load's own queues since loopback has none, rings against a fresh
# tolmer-server with balancing off and then on, BALANCE_ROUNDS times in turn.
# Each run strikes for BALANCE_SETTLE seconds before it measures (holds grow
# 2 ms a second, so 70 ms takes 35 s) and then for BALANCE_MEASURE seconds.
# Then the cost: BALANCE_SCALE_TOWERS towers of 8 on the same links at once,
# balancing off and on, for the server's CPU time.
# Writes bench/results/balance.md and balance.json. Takes about 20 minutes.
#
# Environment: TOLMER_BENCH_BUILD (build folder, default build/bench),
# BALANCE_ROUNDS (default 3), BALANCE_SETTLE (default 50), BALANCE_MEASURE
# (default 120), BALANCE_CAP (--balance-max-ms when on, default 150),
# BALANCE_SCALE_TOWERS (default 1000; 0 skips the cost runs),
# BALANCE_NICE (niceness of the benchmark's scheduling group, default -10).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TOLMER_BENCH_BUILD:-$ROOT/build/bench}
RESULTS=$ROOT/bench/results
ROUNDS=${BALANCE_ROUNDS:-3}
SETTLE=${BALANCE_SETTLE:-50}
MEASURE=${BALANCE_MEASURE:-120}
CAP=${BALANCE_CAP:-150}
SCALE_TOWERS=${BALANCE_SCALE_TOWERS:-1000}
SCALE_MEASURE=30
RATE=0.5
LINKS=(--link 5,5 --link 20,20 --link 40,40)

# jq reads the load tool's figures; the benchmark needs it, the build does not.
source "$ROOT/scripts/deps.sh"
tolmer_install_deps jq

source "$ROOT/bench/common.sh"
bench_build

WORK=$(mktemp -d /tmp/tolmer-balance.XXXXXX)
# Other sessions' work on the machine comes second to the benchmark's.
raise_priority "${BALANCE_NICE:--10}"
trap 'stop_server; restore_priority; rm -rf "$WORK"' EXIT
ulimit -n "$(ulimit -Hn)"

# run NAME CAP TOWERS SETTLE MEASURE: a fresh server, one load run; its JSON
# line, with the balancing cap and the load average before it, goes to $WORK/NAME.json.
run() {
  local name=$1 cap=$2 towers=$3 settle=$4 measure=$5
  local load port=""
  load=$(cut -d' ' -f1-3 /proc/loadavg)
  echo "-- $name: balancing $([ "$cap" = 0 ] && echo off || echo "up to $cap ms"), $towers towers (load average $load)"
  "$SERVER_BIN" --bind 127.0.0.1 --port 0 --quiet --max-connections $((towers * 8 + 64)) --max-per-address 0 \
    --max-towers "$towers" --balance-max-ms "$cap" >"$WORK/server.out" 2>"$WORK/server.log" &
  SERVER_PID=$!
  for _ in $(seq 200); do
    port=$(sed -n 's/^listening on .*:\([0-9]*\)$/\1/p' "$WORK/server.out")
    [ -n "$port" ] && break
    sleep 0.05
  done
  [ -n "$port" ] || { echo "tolmer-server did not start:" >&2; cat "$WORK/server.log" >&2; exit 1; }
  local status=0
  "$LOAD_BIN" --port "$port" --server-pid "$SERVER_PID" --towers "$towers" --ringers 8 "${LINKS[@]}" --rate "$RATE" \
    --duration $((settle + measure)) --settle "$settle" --drain 3 >"$WORK/$name.out" 2>"$WORK/$name.err" || status=$?
  stop_server
  sed '$d' "$WORK/$name.out"
  if [ "$status" -ge 2 ]; then
    echo "tolmer-load could not run:" >&2; cat "$WORK/$name.err" >&2; exit 1
  fi
  tail -n 1 "$WORK/$name.out" | jq -c --arg load "$load" --argjson cap "$cap" '. + {load_average: $load, balance_max_ms: $cap}' \
    >"$WORK/$name.json"
}

LOAD_BEFORE=$(cut -d' ' -f1-3 /proc/loadavg)
echo "== one tower of 8, links of 10, 40 and 80 ms round trip, $RATE strikes/s each, ${SETTLE}s to settle, ${MEASURE}s measured, $ROUNDS rounds"
for round in $(seq "$ROUNDS"); do
  run "off-$round" 0 1 "$SETTLE" "$MEASURE"
  run "on-$round" "$CAP" 1 "$SETTLE" "$MEASURE"
done
if [ "$SCALE_TOWERS" -gt 0 ]; then
  echo "== the cost: $SCALE_TOWERS towers of 8 at once, balancing off and on"
  run "scale-off" 0 "$SCALE_TOWERS" "$SETTLE" "$SCALE_MEASURE"
  run "scale-on" "$CAP" "$SCALE_TOWERS" "$SETTLE" "$SCALE_MEASURE"
fi
LOAD_AFTER=$(cut -d' ' -f1-3 /proc/loadavg)

mkdir -p "$RESULTS"
runs() { cat "$WORK"/$1-*.json 2>/dev/null | jq -s .; }
jq -n --argjson off "$(runs off)" --argjson on "$(runs on)" --argjson scale "$(runs scale)" \
  --arg date "$(date -u +%Y-%m-%dT%H:%M:%SZ)" --arg cpu "$(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1)" \
  --argjson cores "$(nproc)" --arg kernel "$(uname -r)" --arg loadBefore "$LOAD_BEFORE" --arg loadAfter "$LOAD_AFTER" \
  --argjson cap "$CAP" --argjson settle "$SETTLE" --argjson measure "$MEASURE" --argjson rate "$RATE" \
  --argjson scaleMeasure "$SCALE_MEASURE" \
  '{date: $date, machine: {cpu: $cpu, cores: $cores, kernel: $kernel,
                           load_average: {before: $loadBefore, after: $loadAfter}},
    balance_max_ms: $cap, settle_s: $settle, measure_s: $measure, scale_measure_s: $scaleMeasure, rate: $rate,
    off: $off, on: $on, scale: $scale}' >"$RESULTS/balance.json"
jq -r -f "$ROOT/bench/balance/table.jq" "$RESULTS/balance.json" >"$RESULTS/balance.md"
echo
cat "$RESULTS/balance.md"
echo
echo "Written: $RESULTS/balance.md and $RESULTS/balance.json"

#!/usr/bin/env bash
# The relay benchmark: the same ringing load, played by tolmer-load, against
# tolmer-server, Redis publish/subscribe and the floor (a bare relay inside
# tolmer-load), each started fresh on loopback. Two levels: realistic (1,000
# towers of 8 ringers at 0.5 strikes/s each) and stress (the highest rate at
# which tolmer-server loses nothing and keeps p99 fan-out under 5 ms), each
# run three times per target, interleaved, since one run on a shared machine
# says little. Then the scaling run: the most ringers one tolmer-server holds
# at the realistic rate, beside the floor at each size.
# Writes bench/results/relay.md and relay.json. Takes about 20 minutes.
#
# Environment: TOLMER_BENCH_BUILD (build folder, default build/bench),
# RELAY_DURATION (seconds of the realistic runs, default 30),
# RELAY_STRESS_DURATION (seconds of each stress run, default 10),
# RELAY_ROUNDS (runs per target at each level, default 3),
# RELAY_SCALE_LEVELS (ringers in each scaling run, default
# "2000 4000 8000 12000 16000 24000 32000 40000 50000"; sizes beyond what one process's
# open-file limit allows are replaced by that largest size), RELAY_SCALE_DURATION (seconds of
# each, default 20), RELAY_SOURCES (loopback source addresses the ringers are
# spread over in the scaling runs, default 8),
# RELAY_NICE (niceness of the benchmark's scheduling group, default -10, so
# that other work on the machine disturbs it less; needs root below 0).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TOLMER_BENCH_BUILD:-$ROOT/build/bench}
RESULTS=$ROOT/bench/results
DURATION=${RELAY_DURATION:-30}
STRESS_DURATION=${RELAY_STRESS_DURATION:-10}
ROUNDS=${RELAY_ROUNDS:-3}
SCALE_LEVELS=${RELAY_SCALE_LEVELS:-2000 4000 8000 12000 16000 24000 32000 40000 50000}
SCALE_DURATION=${RELAY_SCALE_DURATION:-20}
SOURCES=${RELAY_SOURCES:-8}
TOWERS=1000
RINGERS=8
REALISTIC_RATE=0.5
P99_LIMIT_US=5000
MAX_RATE=64         # the stress search stops doubling here
BISECT_STEPS=3

# Redis and jq are needed here only, not by the build or the tests.
source "$ROOT/scripts/deps.sh"
tolmer_install_deps redis-server jq

source "$ROOT/bench/common.sh"
bench_build

WORK=$(mktemp -d /tmp/tolmer-relay.XXXXXX)
PORT=""
raise_priority "${RELAY_NICE:--10}"
trap 'stop_server; restore_priority; rm -rf "$WORK"' EXIT

# The descriptors the connections need, for this shell and what it starts:
# root may raise the hard limit up to the kernel's ceiling.
ulimit -Hn "$(cat /proc/sys/fs/nr_open)" 2>/dev/null || true
ulimit -n "$(ulimit -Hn)"
FD_LIMIT=$(ulimit -Hn)
# The most ringers that fit: tolmer-server keeps 352 descriptors aside for
# turned-away clients and its own, tolmer-load 64; whole towers only.
SCALE_CAP=$(( (FD_LIMIT - 352 - 64) / RINGERS * RINGERS ))
SCALE_SIZES=$(for n in $SCALE_LEVELS; do echo $(( n < SCALE_CAP ? n : SCALE_CAP )); done | sort -n | uniq | tr '\n' ' ')

# start_tolmer [TOWERS]: every ringer comes from a few loopback addresses, so
# the benchmark lifts the limit per address; strikes stay under their bound.
# Latency balancing is off: the relay's own time is measured, not holds.
start_tolmer() {
  local towers=${1:-$TOWERS}
  : >"$WORK/server.out"
  "$SERVER_BIN" --bind 127.0.0.1 --port 0 --quiet --max-connections $((towers * RINGERS + 64)) \
    --max-per-address 0 --max-towers "$towers" --balance-max-ms 0 >"$WORK/server.out" 2>"$WORK/server.log" &
  SERVER_PID=$!
  for _ in $(seq 200); do
    PORT=$(sed -n 's/^listening on .*:\([0-9]*\)$/\1/p' "$WORK/server.out")
    [ -n "$PORT" ] && return 0
    sleep 0.05
  done
  echo "tolmer-server did not start:" >&2; cat "$WORK/server.log" >&2; exit 1
}

start_redis() {
  # A free port may be taken by another program between the look and the
  # bind (other work shares this machine): then try another.
  for _ in $(seq 10); do
    PORT=""
    for _ in $(seq 50); do
      local candidate=$((20000 + RANDOM % 20000))
      if [ -z "$(ss -Hltn "sport = :$candidate")" ]; then PORT=$candidate; break; fi
    done
    [ -n "$PORT" ] || { echo "no free port for redis" >&2; exit 1; }
    # Nothing written to disk; room for every ringer's connection.
    redis-server --port "$PORT" --bind 127.0.0.1 --save "" --appendonly no --protected-mode no \
      --maxclients $((TOWERS * RINGERS + 64)) --daemonize no --loglevel warning --dir "$WORK" \
      >"$WORK/redis.log" 2>&1 &
    SERVER_PID=$!
    for _ in $(seq 200); do
      redis-cli -p "$PORT" ping >/dev/null 2>&1 && return 0
      kill -0 "$SERVER_PID" 2>/dev/null || break
      sleep 0.05
    done
    stop_server
  done
  echo "redis-server did not start:" >&2; cat "$WORK/redis.log" >&2; exit 1
}

# run BACKEND RATE SECONDS NAME [TOWERS [SOURCES]]: one fresh target, one
# load run; the JSON line goes to $WORK/NAME.json, the table to the terminal.
run() {
  local backend=$1 rate=$2 seconds=$3 name=$4 towers=${5:-$TOWERS} sources=${6:-1}
  local target=()
  case $backend in
    tolmer) start_tolmer "$towers"; target=(--port "$PORT" --server-pid "$SERVER_PID") ;;
    redis) start_redis; target=(--port "$PORT" --server-pid "$SERVER_PID") ;;
    floor) target=() ;;  # tolmer-load starts its own relay and reports it
  esac
  local status=0
  "$LOAD_BIN" --backend "$backend" "${target[@]}" --towers "$towers" --ringers "$RINGERS" --sources "$sources" \
    --rate "$rate" --duration "$seconds" --drain 5 >"$WORK/$name.out" 2>"$WORK/$name.err" || status=$?
  stop_server
  sed '$d' "$WORK/$name.out"
  if [ "$status" -ge 2 ] || ! tail -n 1 "$WORK/$name.out" | jq -e . >/dev/null 2>&1; then
    echo "tolmer-load could not run against $backend:" >&2; cat "$WORK/$name.err" >&2
    echo "{\"backend\":\"$backend\",\"rate\":$rate,\"connections\":$((towers * RINGERS)),\"ok\":false,\"error\":$(jq -Rs . <"$WORK/$name.err")}" \
      >"$WORK/$name.json"
    return 0
  fi
  tail -n 1 "$WORK/$name.out" >"$WORK/$name.json"
}

# passes NAME: no fault and p99 fan-out under the limit.
passes() {
  jq -e --argjson limit "$P99_LIMIT_US" '.ok == true and .fanout_us.p99 < $limit' "$WORK/$1.json" >/dev/null
}

# stress_rate BACKEND: the highest rate that passes, by doubling from 1 and
# then halving the gap between the last pass and the first failure.
stress_rate() {
  local backend=$1 good=0 bad="" rate=1 step=0
  while :; do
    echo "-- $backend at $rate strikes/s per ringer" >&2
    run "$backend" "$rate" "$STRESS_DURATION" "search-$backend-$((step += 1))" >&2
    if ! passes "search-$backend-$step"; then bad=$rate; break; fi
    good=$rate
    rate=$(jq -n "$rate * 2")
    jq -e -n "$rate > $MAX_RATE" >/dev/null && break
  done
  if [ -n "$bad" ]; then
    for _ in $(seq "$BISECT_STEPS"); do
      rate=$(jq -n "(($good + $bad) / 2 * 100 | round) / 100")
      jq -e -n "$rate <= $good or $rate >= $bad" >/dev/null && break
      echo "-- $backend at $rate strikes/s per ringer" >&2
      run "$backend" "$rate" "$STRESS_DURATION" "search-$backend-$((step += 1))" >&2
      if passes "search-$backend-$step"; then good=$rate; else bad=$rate; fi
    done
  fi
  echo "$good"
}

# Other work on the machine takes cores from the targets and the load tool
# and shows as milliseconds in the tails: note how busy it was beforehand.
cpu_busy_percent() {
  local a b
  read -r -a a < <(head -1 /proc/stat); sleep 2; read -r -a b < <(head -1 /proc/stat)
  local total=0 idle=$(( (b[4] + b[5]) - (a[4] + a[5]) ))
  for i in 1 2 3 4 5 6 7 8; do total=$(( total + b[i] - a[i] )); done
  echo $(( total > 0 ? 100 * (total - idle) / total : 0 ))
}
BUSY_BEFORE=$(cpu_busy_percent)
LOAD_BEFORE=$(cut -d' ' -f1-3 /proc/loadavg)
echo "== the machine was ${BUSY_BEFORE}% busy before the benchmark (load average $LOAD_BEFORE)"

# rounds LEVEL RATE SECONDS: every target RATE for SECONDS, ROUNDS times in
# turn, so that what else the machine does falls on all of them alike.
rounds() {
  local level=$1 rate=$2 seconds=$3
  for round in $(seq "$ROUNDS"); do
    for backend in tolmer redis floor; do
      echo "-- $level round $round: $backend (load average $(cut -d' ' -f1 /proc/loadavg))"
      run "$backend" "$rate" "$seconds" "$level-$backend-$round"
    done
  done
}
# runs_json LEVEL: {tolmer: [...], redis: [...], floor: [...]} of that level's runs.
runs_json() {
  local level=$1
  for backend in tolmer redis floor; do
    cat "$WORK/$level-$backend-"*.json | jq -s --arg b "$backend" '{($b): .}'
  done | jq -s 'add'
}

echo "== realistic: $TOWERS towers x $RINGERS ringers at $REALISTIC_RATE strikes/s, ${DURATION}s each, $ROUNDS rounds"
rounds realistic "$REALISTIC_RATE" "$DURATION"
LOAD_REALISTIC=$(cut -d' ' -f1-3 /proc/loadavg)

echo "== stress: searching for the highest rate that loses nothing and keeps p99 fan-out under ${P99_LIMIT_US} us"
TOLMER_STRESS=$(stress_rate tolmer)
REDIS_STRESS=$(stress_rate redis)
echo "tolmer-server: $TOLMER_STRESS strikes/s per ringer; redis: $REDIS_STRESS"
STRESS=$TOLMER_STRESS
jq -e -n "$STRESS > 0" >/dev/null || STRESS=$REALISTIC_RATE
echo "== stress: every target at $STRESS strikes/s per ringer, $ROUNDS rounds"
rounds stress "$STRESS" "$STRESS_DURATION"
LOAD_STRESS=$(cut -d' ' -f1-3 /proc/loadavg)

echo "== scaling: ringers in towers of $RINGERS at $REALISTIC_RATE strikes/s, over $SOURCES source addresses"
echo "   sizes $SCALE_SIZES(open-file limit $FD_LIMIT per process)"
for ringers in $SCALE_SIZES; do
  for backend in tolmer floor; do
    echo "-- $ringers ringers: $backend (load average $(cut -d' ' -f1 /proc/loadavg))"
    run "$backend" "$REALISTIC_RATE" "$SCALE_DURATION" "scale-$ringers-$backend" $((ringers / RINGERS)) "$SOURCES"
  done
done
SCALE_JSON=$(for ringers in $SCALE_SIZES; do
  jq -n --argjson n "$ringers" --slurpfile t "$WORK/scale-$ringers-tolmer.json" \
    --slurpfile f "$WORK/scale-$ringers-floor.json" '{ringers: $n, tolmer: $t[0], floor: $f[0]}'
done | jq -s .)
LOAD_AFTER=$(cut -d' ' -f1-3 /proc/loadavg)

mkdir -p "$RESULTS"
jq -n \
  --argjson realistic "$(runs_json realistic)" --argjson stress "$(runs_json stress)" \
  --argjson scaling "$SCALE_JSON" \
  --argjson tolmerStress "$TOLMER_STRESS" --argjson redisStress "$REDIS_STRESS" \
  --arg date "$(date -u +%Y-%m-%dT%H:%M:%SZ)" --arg cpu "$(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1)" \
  --argjson cores "$(nproc)" --arg kernel "$(uname -r)" --argjson p99limit "$P99_LIMIT_US" \
  --argjson busy "$BUSY_BEFORE" --argjson rounds "$ROUNDS" \
  --arg loadBefore "$LOAD_BEFORE" --arg loadRealistic "$LOAD_REALISTIC" --arg loadStress "$LOAD_STRESS" \
  --arg loadAfter "$LOAD_AFTER" \
  '{date: $date, machine: {cpu: $cpu, cores: $cores, kernel: $kernel, busy_percent_before: $busy,
                           load_average: {before: $loadBefore, after_realistic: $loadRealistic,
                                          after_stress: $loadStress, after_scaling: $loadAfter}},
    p99_limit_us: $p99limit, rounds: $rounds,
    realistic: {runs: $realistic},
    stress: {tolmer_rate: $tolmerStress, redis_rate: $redisStress, runs: $stress},
    scaling: {rate: '"$REALISTIC_RATE"', asked: "'"$SCALE_LEVELS"'", fd_limit: '"$FD_LIMIT"',
              largest_that_fits: '"$SCALE_CAP"', levels: $scaling}}' >"$RESULTS/relay.json"
jq -r -f "$ROOT/bench/relay/table.jq" "$RESULTS/relay.json" >"$RESULTS/relay.md"
echo
cat "$RESULTS/relay.md"
echo
echo "Written: $RESULTS/relay.md and $RESULTS/relay.json"

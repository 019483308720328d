#!/usr/bin/env bash
# The robot ringer's benchmark: the real tolmer-robot rings with a scripted
# band through the real tolmer-server on loopback, in real time (robot-band).
# Writes bench/results/robot.md. Three runs take about 40 minutes; the
# figures are the median of the runs with their spread, and the load average
# of the machine beside them.
#
# Environment: TOLMER_BENCH_BUILD (build folder, default build/bench),
# ROBOT_RUNS (runs of each scenario, default 3), ROBOT_QUICK=1 (leave out
# the long Cambridge Surprise Major course, for a trial).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TOLMER_BENCH_BUILD:-$ROOT/build/bench}

echo "== building tolmer-server, tolmer-robot and robot-band (Release) in $BUILD"
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLMER_BUILD_CLIENT=OFF >/dev/null
cmake --build "$BUILD" --target robot-band

args=(--runs "${ROBOT_RUNS:-3}")
[ "${ROBOT_QUICK:-0}" = 1 ] && args+=(--quick)
echo "== ringing (${args[*]})"
status=0
"$BUILD/bench/robot/robot-band" "${args[@]}" >"$ROOT/bench/results/robot.md" || status=$?
cat "$ROOT/bench/results/robot.md"
exit "$status"

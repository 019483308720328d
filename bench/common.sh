# What the benchmark scripts share, sourced once they have set ROOT and BUILD:
# the Release build of tolmer-server and tolmer-load, stopping the server a
# script started, and a larger share of the CPU for the benchmark's time.

# Builds both programs in $BUILD and sets SERVER_BIN and LOAD_BIN.
bench_build() {
  echo "== building tolmer-server and tolmer-load (Release) in $BUILD"
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLMER_BUILD_CLIENT=OFF >/dev/null
  cmake --build "$BUILD" --target tolmer-server tolmer-load >/dev/null
  SERVER_BIN=$BUILD/server/tolmer-server
  LOAD_BIN=$BUILD/tools/load/tolmer-load
}

SERVER_PID=""
stop_server() {
  if [ -n "$SERVER_PID" ]; then
    kill "$SERVER_PID" 2>/dev/null || true
    wait "$SERVER_PID" 2>/dev/null || true
    SERVER_PID=""
  fi
}

# The kernel shares the CPU between sessions first (autogroups) and only
# then by niceness, so this raises the session's share to niceness $1 (root
# only below 0) until restore_priority.
OLD_GROUP_NICE=""
raise_priority() {
  if [ -w /proc/self/autogroup ]; then
    OLD_GROUP_NICE=$(sed -n 's/.* nice \(-\?[0-9]*\)$/\1/p' /proc/self/autogroup)
    echo "$1" >/proc/self/autogroup 2>/dev/null || OLD_GROUP_NICE=""
  fi
}
restore_priority() { [ -z "$OLD_GROUP_NICE" ] || echo "$OLD_GROUP_NICE" >/proc/self/autogroup 2>/dev/null || true; }

#!/usr/bin/env bash
# Installs what is missing, builds what it runs (the client, the server and
# the bell sounds; no tests), starts a local tower server and opens the
# client on it. The server stops when the client exits.
set -euo pipefail
TOLMER_ROOT=$(cd "$(dirname "$0")" && pwd)
source "$TOLMER_ROOT/scripts/deps.sh"
tolmer_install_deps
build="$TOLMER_ROOT/build/run"
TOLMER_TARGETS="tolmer tolmer-server bell_sounds" tolmer_build "$build" -DCMAKE_BUILD_TYPE=Release

server_pid=""
if [ -x "$build/server/tolmer-server" ]; then
  "$build/server/tolmer-server" --bind 127.0.0.1 &
  server_pid=$!
  trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null; wait 2>/dev/null || true' EXIT
  sleep 0.3
fi
# The client opens its bell sounds by bare name, so it starts where they are.
sounds="$build/sounds"
mkdir -p "$sounds"
cd "$sounds"
"$build/app/tolmer" -l "$@"

#!/usr/bin/env bash
# Fuzzes the client's receive path and the server's rules: for each, every
# saved input once, then new inputs for 30 seconds. Any crash, hang, leak,
# sanitizer report or broken rule fails the run and leaves the input under
# build/fuzz/artifacts/.
set -euo pipefail
TOLMER_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$TOLMER_ROOT/tests/fuzz/fuzz-build.sh"
tolmer_fuzz_build

echo "-- the server's seeds are as its seed tool makes them"
tolmer_fuzz_check_server_seeds

for target in "${TOLMER_FUZZ_TARGETS[@]}"; do
  tolmer_fuzz_select "$target"
  echo "-- $target: saved inputs"
  tolmer_fuzz_run "$TOLMER_FUZZ_SEEDS"/*
  echo "-- $target: 30 seconds of new inputs"
  # New inputs go to the build folder; the saved ones are only read.
  tolmer_fuzz_search 30 "$TOLMER_FUZZ_BUILD/corpus-$target"
done

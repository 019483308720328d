#!/usr/bin/env bash
# Fuzzes the client's receive path: every saved input once, then new inputs
# for 30 seconds. Any crash, hang, leak or sanitizer report fails the run and
# leaves the input under build/fuzz/artifacts/.
set -euo pipefail
TOLMER_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$TOLMER_ROOT/tests/fuzz/fuzz-build.sh"
tolmer_fuzz_build

echo "-- saved inputs"
tolmer_fuzz_run "$TOLMER_FUZZ_SEEDS"/*

echo "-- 30 seconds of new inputs"
# New inputs go to the build folder; the saved ones are only read.
tolmer_fuzz_search 30 "$TOLMER_FUZZ_BUILD/corpus"

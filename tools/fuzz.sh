#!/usr/bin/env bash
# Fuzzes the client's receive path for as long as asked.
#   tools/fuzz.sh [SECONDS] [CORPUS_FOLDER]
# SECONDS defaults to 600. New inputs are saved to CORPUS_FOLDER, by default
# a folder outside the repository ($TMPDIR/tolmer-fuzz-corpus); the saved
# seeds in tests/fuzz/corpus are read, never written, unless that folder is
# the one given. A crashing input is saved under build/fuzz/artifacts/; run
# build/fuzz/tests/fuzz/client_receive_fuzzer on that file to see it again.
set -euo pipefail
TOLMER_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-600}
corpus=${2:-${TMPDIR:-/tmp}/tolmer-fuzz-corpus}
if ! [[ $seconds =~ ^[0-9]+$ ]]; then
  echo "usage: $0 [SECONDS] [CORPUS_FOLDER]" >&2
  exit 2
fi

source "$TOLMER_ROOT/scripts/deps.sh"
tolmer_install_test_deps
source "$TOLMER_ROOT/tests/fuzz/fuzz-build.sh"
tolmer_fuzz_build

mkdir -p "$corpus"
corpus=$(cd "$corpus" && pwd)  # the fuzzer runs in its build folder
echo "Fuzzing for $seconds s; new inputs go to $corpus"
tolmer_fuzz_search "$seconds" "$corpus"

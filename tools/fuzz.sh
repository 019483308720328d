#!/usr/bin/env bash
# Fuzzes one target for as long as asked.
#   tools/fuzz.sh TARGET [SECONDS] [CORPUS_FOLDER]
# TARGET is client (the client's receive path) or server (the server's
# framing and rules under scripts of many clients). SECONDS defaults to 600.
# New inputs are saved to CORPUS_FOLDER, by default a folder outside the
# repository ($TMPDIR/tolmer-fuzz-corpus-TARGET); the target's saved seeds
# (tests/fuzz/corpus, tests/fuzz/server/corpus) are read, never written,
# unless that folder is the one given. A crashing input is saved under
# build/fuzz/artifacts/; run the target's program in build/fuzz/tests/fuzz/
# on that file to see it again.
set -euo pipefail
TOLMER_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
usage() {
  echo "usage: $0 client|server [SECONDS] [CORPUS_FOLDER]" >&2
  exit 2
}
target=${1:-}
seconds=${2:-600}
corpus=${3:-${TMPDIR:-/tmp}/tolmer-fuzz-corpus-$target}
[[ $seconds =~ ^[0-9]+$ ]] || usage

source "$TOLMER_ROOT/tests/fuzz/fuzz-build.sh"
tolmer_fuzz_select "$target" || usage
source "$TOLMER_ROOT/scripts/deps.sh"
tolmer_install_test_deps
tolmer_fuzz_build "$target"

mkdir -p "$corpus"
corpus=$(cd "$corpus" && pwd)  # the fuzzer runs in its build folder
echo "Fuzzing the $target target for $seconds s; new inputs go to $corpus"
tolmer_fuzz_search "$seconds" "$corpus"

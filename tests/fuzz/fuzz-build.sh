# Builds the libFuzzer targets in build/fuzz (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, coverage for libFuzzer) and sets up what their
# runs need. Sourced by scripts/test.d/fuzz.sh and tools/fuzz.sh after they
# have set TOLMER_ROOT. The targets, by the names the scripts take:
#   client  the client's receive path, fed bytes as its server would send them
#   server  the server's framing and rules, fed scripts of up to 16 clients

TOLMER_FUZZ_BUILD="$TOLMER_ROOT/build/fuzz"
TOLMER_FUZZ_TARGETS=(client server)
TOLMER_SERVER_SEED_TOOL="$TOLMER_FUZZ_BUILD/tests/fuzz/make_server_fuzz_seeds"

# No display and no sound card; the leak checker ignores the caches that
# Qt and the system libraries keep until exit.
export QT_QPA_PLATFORM=offscreen
export SDL_AUDIODRIVER=dummy
export LSAN_OPTIONS="suppressions=$TOLMER_ROOT/tests/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# Builds what the given targets need, by default every target's, and leaves
# the last one selected.
tolmer_fuzz_build() {
  local programs=() target
  for target in "${@:-${TOLMER_FUZZ_TARGETS[@]}}"; do
    tolmer_fuzz_select "$target"
    programs+=("${TOLMER_FUZZ_PROGRAMS[@]}")
  done
  cmake -S "$TOLMER_ROOT" -B "$TOLMER_FUZZ_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
    -DTOLMER_FUZZ=ON -DTOLMER_SANITIZE=ON -DTOLMER_BUILD_CLIENT=ON >/dev/null
  cmake --build "$TOLMER_FUZZ_BUILD" --target "${programs[@]}"
  mkdir -p "$TOLMER_FUZZ_BUILD/artifacts"
}

# Points the runs below at one target: its programs, saved seeds and options.
# Fails for a name that is no target.
tolmer_fuzz_select() {
  case $1 in
    client)
      TOLMER_FUZZ_PROGRAMS=(client_receive_fuzzer)
      TOLMER_FUZZER="$TOLMER_FUZZ_BUILD/tests/fuzz/client_receive_fuzzer"
      TOLMER_FUZZ_SEEDS="$TOLMER_ROOT/tests/fuzz/corpus"
      TOLMER_FUZZ_OPTIONS=(-max_len=4096)
      # Allocation stacks are cut to two frames: Qt is built without frame
      # pointers, so longer ones pick up stray stack words, every one a new
      # stack to store, and the process slows down and swells by the minute.
      # Running a saved crash input again gives full stacks.
      TOLMER_FUZZ_SEARCH_ASAN=":malloc_context_size=2"
      ;;
    server)
      TOLMER_FUZZ_PROGRAMS=(server_script_fuzzer make_server_fuzz_seeds)
      TOLMER_FUZZER="$TOLMER_FUZZ_BUILD/tests/fuzz/server_script_fuzzer"
      TOLMER_FUZZ_SEEDS="$TOLMER_ROOT/tests/fuzz/server/corpus"
      TOLMER_FUZZ_OPTIONS=(-max_len=8192 "-dict=$TOLMER_ROOT/tests/fuzz/server/server.dict")
      TOLMER_FUZZ_SEARCH_ASAN=""
      ;;
    *) return 1 ;;
  esac
}

# Runs the selected fuzzer with the given options and inputs or corpus
# folders. A whole input takes milliseconds, so 10 s is a hang. It runs in
# the build folder, where there are no bell sounds: each of the client's
# inputs would otherwise decode thirteen of them.
tolmer_fuzz_run() {
  (cd "$TOLMER_FUZZ_BUILD" &&
   "$TOLMER_FUZZER" -rss_limit_mb=2048 -timeout=10 "${TOLMER_FUZZ_OPTIONS[@]}" -print_final_stats=1 \
     "-artifact_prefix=$TOLMER_FUZZ_BUILD/artifacts/" "$@")
}

# Searches for new inputs for the given seconds, saving them to the corpus
# folder given and reading the saved seeds.
tolmer_fuzz_search() {
  local seconds=$1 corpus=$2
  mkdir -p "$corpus"
  ASAN_OPTIONS="$ASAN_OPTIONS$TOLMER_FUZZ_SEARCH_ASAN" \
    tolmer_fuzz_run -max_total_time="$seconds" "$corpus" "$TOLMER_FUZZ_SEEDS"
}

# Fails unless the server's saved seeds are what the seed tool makes now
# (inputs saved for what a run found may sit beside them).
tolmer_fuzz_check_server_seeds() {
  local fresh="$TOLMER_FUZZ_BUILD/server-seeds" saved="$TOLMER_ROOT/tests/fuzz/server/corpus" seed
  rm -rf "$fresh"
  "$TOLMER_SERVER_SEED_TOOL" "$fresh"
  for seed in "$fresh"/*; do
    if ! cmp "$seed" "$saved/${seed#"$fresh"/}"; then
      echo "renew them: $TOLMER_SERVER_SEED_TOOL $saved (and the headers in server.dict if the messages changed)" >&2
      return 1
    fi
  done
}

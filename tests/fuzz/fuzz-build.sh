# Builds client_receive_fuzzer in build/fuzz (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, coverage for libFuzzer) and sets up what its
# runs need. Sourced by scripts/test.d/fuzz.sh and tools/fuzz.sh after they
# have set TOLMER_ROOT.

TOLMER_FUZZ_BUILD="$TOLMER_ROOT/build/fuzz"
TOLMER_FUZZER="$TOLMER_FUZZ_BUILD/tests/fuzz/client_receive_fuzzer"
TOLMER_FUZZ_SEEDS="$TOLMER_ROOT/tests/fuzz/corpus"

# No display and no sound card; the leak checker ignores the caches that
# Qt and the system libraries keep until exit.
export QT_QPA_PLATFORM=offscreen
export SDL_AUDIODRIVER=dummy
export LSAN_OPTIONS="suppressions=$TOLMER_ROOT/tests/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

tolmer_fuzz_build() {
  cmake -S "$TOLMER_ROOT" -B "$TOLMER_FUZZ_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
    -DTOLMER_FUZZ=ON -DTOLMER_SANITIZE=ON -DTOLMER_BUILD_CLIENT=ON >/dev/null
  cmake --build "$TOLMER_FUZZ_BUILD" --target client_receive_fuzzer
  mkdir -p "$TOLMER_FUZZ_BUILD/artifacts"
}

# Runs the fuzzer with the given options and inputs or corpus folders. A
# whole input takes milliseconds, so 10 s is a hang. It runs in the build
# folder, where there are no bell sounds: each input's window would otherwise
# decode thirteen of them.
tolmer_fuzz_run() {
  (cd "$TOLMER_FUZZ_BUILD" &&
   "$TOLMER_FUZZER" -rss_limit_mb=2048 -timeout=10 -max_len=4096 -print_final_stats=1 \
     "-artifact_prefix=$TOLMER_FUZZ_BUILD/artifacts/" "$@")
}

# Searches for new inputs for the given seconds, saving them to the corpus
# folder given and reading the saved seeds. Allocation stacks are cut to two
# frames: Qt is built without frame pointers, so longer ones pick up stray
# stack words, every one a new stack to store, and the process slows down and
# swells by the minute. Running a saved crash input again gives full stacks.
tolmer_fuzz_search() {
  local seconds=$1 corpus=$2
  mkdir -p "$corpus"
  ASAN_OPTIONS="$ASAN_OPTIONS:malloc_context_size=2" \
    tolmer_fuzz_run -max_total_time="$seconds" "$corpus" "$TOLMER_FUZZ_SEEDS"
}

#!/usr/bin/env bash
# Installs what is missing, checks the format, builds, and runs every test:
# once plainly, once under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
TOLMER_ROOT=$(cd "$(dirname "$0")" && pwd)
source "$TOLMER_ROOT/scripts/deps.sh"
tolmer_install_test_deps

# No display and no sound card needed.
export QT_QPA_PLATFORM=offscreen
export SDL_AUDIODRIVER=dummy
export LSAN_OPTIONS="suppressions=$TOLMER_ROOT/tests/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
jobs=$(nproc)

echo "== format"
"$TOLMER_ROOT/scripts/format.sh" --check

echo "== plain build"
tolmer_build "$TOLMER_ROOT/build/release" -DCMAKE_BUILD_TYPE=RelWithDebInfo
ctest --test-dir "$TOLMER_ROOT/build/release" --output-on-failure -j "$jobs"

echo "== sanitizer build"
tolmer_build "$TOLMER_ROOT/build/asan" -DCMAKE_BUILD_TYPE=Debug -DTOLMER_SANITIZE=ON
ctest --test-dir "$TOLMER_ROOT/build/asan" --output-on-failure -j "$jobs" -LE nosan

for extra in "$TOLMER_ROOT"/scripts/test.d/*.sh; do
  [ -e "$extra" ] || continue
  echo "== $(basename "$extra" .sh)"
  bash "$extra"
done
echo "All tests passed."

# Installs the Debian packages the build and the tests need, only those missing.
# Sourced by run.sh, test.sh, tools/fuzz.sh, the Windows tests and the benchmarks.

# What building the client, the server and the bell sounds needs.
TOLMER_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev fonts-liberation
  libsdl2-dev libasio-dev
)
# What the tests, the benchmarks, the fuzzer, the format check and the
# package check need besides.
TOLMER_TEST_PACKAGES=(
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format-14
  dpkg-dev file desktop-file-utils
)

# tolmer_install_deps [PACKAGE...]: the build's packages and any given.
tolmer_install_deps() {
  local missing=()
  for p in "${TOLMER_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

tolmer_install_test_deps() {
  tolmer_install_deps "${TOLMER_TEST_PACKAGES[@]}"
}

# Configures and builds one build folder: tolmer_build DIR [cmake args...].
# When TOLMER_TARGETS is set, only those targets (and what they need) are built.
tolmer_build() {
  local dir=$1; shift
  cmake -S "$TOLMER_ROOT" -B "$dir" -G Ninja "$@" >/dev/null
  # shellcheck disable=SC2086 # the targets split into words
  cmake --build "$dir" ${TOLMER_TARGETS:+--target $TOLMER_TARGETS}
}

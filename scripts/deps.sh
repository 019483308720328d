# Installs the Debian packages the build and the tests need, only those missing.
# Sourced by run.sh and test.sh.
TOLMER_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev fonts-liberation
  libsdl2-dev libasio-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  dpkg-dev file desktop-file-utils
)

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

# Configures and builds one build folder: tolmer_build DIR [cmake args...]
tolmer_build() {
  local dir=$1; shift
  cmake -S "$TOLMER_ROOT" -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir"
}

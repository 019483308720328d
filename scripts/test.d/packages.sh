#!/usr/bin/env bash
# Builds the Debian packages from the release build, unpacks each into a
# scratch root and checks what it installs: binaries that load (the client,
# the robot ringer, the server), the thirteen bell sounds, the icons, a valid
# desktop entry, the server's unit and flags.
# Usage: packages.sh [BUILD_DIR]   (default build/release)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/release}

errors=0
fail() { echo "packages: FAIL: $*" >&2; errors=$((errors + 1)); }
die() { echo "packages: FAIL: $*" >&2; exit 1; }

[ -f "$build/CMakeCache.txt" ] || die "no configured build in $build"
for tool in dpkg-deb file ldd desktop-file-validate; do
  command -v "$tool" >/dev/null || die "$tool is missing (scripts/deps.sh installs it)"
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Only packages made now count.
rm -f "$build"/tolmer_*.deb "$build"/tolmer-server_*.deb
cmake --build "$build" --target package >"$scratch/package.log" 2>&1 ||
  { cat "$scratch/package.log" >&2; die "building the packages failed"; }

# Sets deb to the one .deb of package $1, named <package>_<version>_<architecture>.deb.
find_deb() {
  local debs=("$build/$1"_*.deb)
  if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then die "expected one $1_*.deb in $build, found: ${debs[*]}"; fi
  deb=${debs[0]}
  local name
  name=$(dpkg-deb -f "$deb" Package)_$(dpkg-deb -f "$deb" Version)_$(dpkg-deb -f "$deb" Architecture).deb
  [ "$(basename "$deb")" = "$name" ] || fail "$deb should be named $name"
  echo "$1: $(basename "$deb")"
}

# control fields every package has; Depends must name each of the given packages
check_control() {
  local deb=$1; shift
  for field in Package Version Architecture Maintainer Section Description Depends; do
    [ -n "$(dpkg-deb -f "$deb" "$field")" ] || fail "$(basename "$deb") has no $field field"
  done
  local depends
  depends=$(dpkg-deb -f "$deb" Depends)
  for needed in "$@"; do
    [[ "$depends" == *"$needed"* ]] || fail "$(basename "$deb") Depends lacks $needed: $depends"
  done
  echo "  Depends: $depends"
}

# an executable ELF file whose shared libraries all resolve
check_binary() {
  local path=$1
  [ -x "$path" ] || { fail "${path#"$scratch"} is missing or not executable"; return; }
  grep -q '^ELF.*executable' <<<"$(file -b "$path")" || fail "${path#"$scratch"} is not an ELF executable: $(file -b "$path")"
  local missing
  missing=$(ldd "$path" | grep 'not found' || true)
  [ -z "$missing" ] || fail "${path#"$scratch"} has unresolved libraries: $missing"
}

# nothing below /usr/local, where no Debian package belongs
check_no_local() {
  if [ -e "$1/usr/local" ]; then fail "$2 installs below /usr/local: $(cd "$1" && find usr/local -type f)"; fi
}

# --- the client ---
find_deb tolmer
client_deb=$deb
check_control "$client_deb" libqt6widgets6 libsdl2
client=$scratch/client
dpkg-deb -x "$client_deb" "$client"
check_no_local "$client" "tolmer"
check_binary "$client/usr/bin/tolmer"
check_binary "$client/usr/bin/tolmer-robot"
if [ -x "$client/usr/bin/tolmer-robot" ]; then
  "$client/usr/bin/tolmer-robot" --help | grep -q '^Usage: tolmer-robot' || fail "tolmer-robot --help does not print its usage"
fi

desktop=$client/usr/share/applications/tolmer.desktop
if [ -f "$desktop" ]; then
  desktop-file-validate "$desktop" || fail "tolmer.desktop does not validate"
  entry() { sed -n "s/^$1=//p" "$desktop"; }
  [ -f "$client/usr/bin/$(entry Exec)" ] || fail "tolmer.desktop Exec=$(entry Exec) is not /usr/bin/$(entry Exec) of the package"
  [ "$(entry Icon)" = tolmer ] || fail "tolmer.desktop Icon=$(entry Icon), expected tolmer"
  sounds=$(entry Path)
  [ "$sounds" = /usr/share/tolmer/sounds ] || fail "tolmer.desktop Path=$sounds, expected /usr/share/tolmer/sounds"
else
  fail "no /usr/share/applications/tolmer.desktop"
  sounds=/usr/share/tolmer/sounds
fi

# The client opens these by bare name in the desktop entry's folder.
for label in 1 2 3 4 5 6 6b 7 8 9 10 11 12; do
  wav=$client$sounds/bell$label.wav
  if [ ! -f "$wav" ]; then fail "no $sounds/bell$label.wav"; continue; fi
  if [ "$(head -c 4 "$wav")" != RIFF ] || [ "$(tail -c +9 "$wav" | head -c 4)" != WAVE ]; then
    fail "$sounds/bell$label.wav has no RIFF/WAVE header"
  fi
  [ "$(stat -c %s "$wav")" -gt 1000 ] || fail "$sounds/bell$label.wav holds almost no sound"
done
count=$(find "$client$sounds" -name '*.wav' 2>/dev/null | wc -l) || true
[ "$count" -eq 13 ] || fail "$sounds holds $count sounds, expected 13"

for size in 16 32; do
  icon=$client/usr/share/icons/hicolor/${size}x${size}/apps/tolmer.xpm
  if [ ! -f "$icon" ]; then fail "no ${icon#"$client"}"; continue; fi
  grep -q "^X pixmap image.* $size x $size " <<<"$(file -b "$icon")" || fail "${icon#"$client"} is not a $size x $size XPM: $(file -b "$icon")"
done

# --- the server ---
find_deb tolmer-server
server_deb=$deb
check_control "$server_deb" libc6 libstdc++6
server=$scratch/server
dpkg-deb -x "$server_deb" "$server"
check_no_local "$server" "tolmer-server"
check_binary "$server/usr/bin/tolmer-server"

unit=$server/usr/lib/systemd/system/tolmer-server.service
defaults=$server/etc/default/tolmer-server
[ -f "$unit" ] || fail "no /usr/lib/systemd/system/tolmer-server.service"
[ -f "$defaults" ] || fail "no /etc/default/tolmer-server"
if [ -f "$unit" ]; then
  exec_start=$(sed -n 's/^ExecStart=//p' "$unit")
  [ "${exec_start%% *}" = /usr/bin/tolmer-server ] || fail "the unit runs '${exec_start%% *}', not /usr/bin/tolmer-server"
  # shellcheck disable=SC2016 # the unit's own variable, expanded by systemd
  [[ "$exec_start" == *'$TOLMER_SERVER_ARGS'* ]] || fail "the unit's ExecStart does not pass \$TOLMER_SERVER_ARGS"
  grep -qx 'EnvironmentFile=-\?/etc/default/tolmer-server' "$unit" || fail "the unit does not read /etc/default/tolmer-server"
fi
dpkg-deb --ctrl-tarfile "$server_deb" | tar -xf - -C "$scratch" ./conffiles ./postinst ./prerm ./postrm ||
  fail "tolmer-server lacks conffiles or maintainer scripts"
grep -qx /etc/default/tolmer-server "$scratch/conffiles" 2>/dev/null || fail "/etc/default/tolmer-server is not a conffile"
for script in postinst prerm postrm; do
  if [ ! -f "$scratch/$script" ] || ! sh -n "$scratch/$script"; then fail "maintainer script $script is missing or not valid sh"; fi
done

# The packaged binary accepts the packaged flags and reports the package's version.
if [ -x "$server/usr/bin/tolmer-server" ] && [ -f "$defaults" ]; then
  # shellcheck source=/dev/null
  TOLMER_SERVER_ARGS=$(. "$defaults" && echo "${TOLMER_SERVER_ARGS:?}") || fail "/etc/default/tolmer-server sets no TOLMER_SERVER_ARGS"
  # shellcheck disable=SC2086 # the flags split into words as systemd splits them
  if ! version=$("$server/usr/bin/tolmer-server" ${TOLMER_SERVER_ARGS:-} --version); then
    fail "tolmer-server rejects the packaged flags '${TOLMER_SERVER_ARGS:-}'"
  elif [ "$version" != "tolmer-server $(dpkg-deb -f "$server_deb" Version)" ]; then
    fail "tolmer-server --version says '$version', the package is $(dpkg-deb -f "$server_deb" Version)"
  fi
fi

[ "$errors" -eq 0 ] || die "$errors problem(s) in the packages"
echo "packages: both packages install what they should"

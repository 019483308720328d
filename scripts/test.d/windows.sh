#!/usr/bin/env bash
# The Windows client, cross-built here with MinGW-w64 and tested under Wine:
#   - builds tolmer.exe, its bell sounds, the Windows tests, the installer and
#     the portable zip in build/windows;
#   - runs the window-free tests there under wine64;
#   - installs tolmer.exe silently with a group's server (/SERVER=) and runs
#     the installed client under Wine next to the Linux client and the server
#     of the release build (tests/wine; it also saves the Windows client's
#     picture, build/release/screenshots/windows-tower.png);
#   - installs and uninstalls the installer silently under Wine.
# One Wine prefix per run, under the build folder, on one virtual X display.
# Runs after test.sh's release build.
set -euo pipefail
TOLMER_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
release=$TOLMER_ROOT/build/release
build=$TOLMER_ROOT/build/windows

if [ -z "${TOLMER_WINDOWS_DISPLAY:-}" ]; then
  source "$TOLMER_ROOT/scripts/deps.sh"
  tolmer_install_deps g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 fonts-wine nsis \
    xvfb xauth xdotool imagemagick googletest
  [ -f "$release/CMakeCache.txt" ] || { echo "windows: no release build in $release (test.sh makes it first)" >&2; exit 1; }
  # Everything below on one virtual display of its own.
  TOLMER_WINDOWS_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "${BASH_SOURCE[0]}" "$@"
fi

wine=""
for candidate in /usr/lib/wine/wine64 /usr/lib64/wine/wine64 "$(command -v wine64 || true)"; do
  if [ -n "$candidate" ] && [ -x "$candidate" ]; then wine=$candidate; break; fi
done
[ -n "$wine" ] || { echo "windows: wine64 not found" >&2; exit 1; }
wineserver="$(dirname "$wine")/wineserver"
export TOLMER_WINE=$wine TOLMER_WINDOWS_BUILD=$build
export WINEPREFIX=$build/wine WINEARCH=win64 WINEDEBUG=-all WINELOADER=$wine
# No Mono or Gecko installers, and no menu entries on this machine for what
# the tests install.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
export QT_QPA_PLATFORM=offscreen
trap '"$wineserver" -k 2>/dev/null || true' EXIT

timed() {
  local name=$1 start=$SECONDS
  shift
  echo "-- $name"
  "$@"
  echo "-- $name: $((SECONDS - start)) s"
}

new_prefix() {
  rm -rf "$WINEPREFIX"
  mkdir -p "$build"
  "$wine" wineboot -i >/dev/null 2>&1
  # Wine's own fonts (Tahoma, and Marlett for the caption buttons), which
  # Debian's Wine does not look for where fonts-wine puts them.
  cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  # No sound: the client must run silent, as on a PC without a sound card.
  # A virtual desktop: windows get their title bars without a window manager.
  "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Audio /d '' /f >/dev/null
  "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Tolmer /f >/dev/null
  "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Tolmer /d 1024x720 /f >/dev/null
  "$wineserver" -w
}

cross_build() {
  cmake -S "$TOLMER_ROOT" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOLMER_ROOT/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build"
}

# Linked statically: nothing but DLLs that every Windows has.
only_system_dlls() {
  local dlls unexpected
  dlls=$(x86_64-w64-mingw32-objdump -p "$build/app/tolmer.exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
  unexpected=$(grep -viE '^(kernel32|user32|gdi32|comctl32|ws2_32|ole32|avrt|msvcrt)\.dll$' <<<"$dlls" || true)
  if [ -n "$unexpected" ]; then
    echo "windows: tolmer.exe needs DLLs that Windows does not ship: $unexpected" >&2
    return 1
  fi
  echo "tolmer.exe imports $(tr '\n' ' ' <<<"$dlls")"
}

with_linux_client() {
  cmake --build "$release" --target wine_tests
  "$release/tests/wine/wine_tests"
}

timed "Wine prefix" new_prefix
timed "cross-build" cross_build
only_system_dlls
timed "tests under Wine" ctest --test-dir "$build" --output-on-failure
timed "Windows and Linux clients together" with_linux_client
timed "installer" bash "$TOLMER_ROOT/tests/wine/installer-test.sh"
echo "windows: tolmer.exe, its tests and its installer pass under Wine"

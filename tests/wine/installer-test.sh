#!/usr/bin/env bash
# The Windows installer under Wine: a silent install (/S) puts tolmer.exe, the
# thirteen bell sounds and the uninstaller under Program Files\Tolmer, a
# Start-menu shortcut that starts tolmer.exe in that folder, and an entry for
# Apps / Programs and Features, and writes the group's server of /SERVER= to
# the user's settings file; the silent uninstall removes all of it but the
# user's settings. (tests/wine runs the installed client on such a setting.)
# Needs what scripts/test.d/windows.sh sets: TOLMER_WINE, TOLMER_WINDOWS_BUILD
# and a WINEPREFIX of its own.
set -euo pipefail
wine=${TOLMER_WINE:?}
build=${TOLMER_WINDOWS_BUILD:?}
prefix=${WINEPREFIX:?}
wineserver="$(dirname "$wine")/wineserver"

errors=0
fail() { echo "installer: FAIL: $*" >&2; errors=$((errors + 1)); }

setups=("$build"/tolmer-setup-*.exe)
if [ ${#setups[@]} -ne 1 ] || [ ! -f "${setups[0]}" ]; then
  fail "expected one tolmer-setup-*.exe in $build"
  exit 1
fi
setup=${setups[0]}
echo "installer: $(basename "$setup")"

folder="$prefix/drive_c/Program Files/Tolmer"
shortcut="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tolmer.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tolmer'
files=(tolmer.exe uninstall.exe)
for label in 1 2 3 4 5 6 6b 7 8 9 10 11 12; do files+=("bell$label.wav"); done

"$wine" "$setup" /S /SERVER=ringing.example.org:4000 || fail "the silent install exited with $?"
"$wineserver" -w
settings=$(find "$prefix/drive_c/users" -path '*/AppData/Roaming/Tolmer/server' | head -n 1)
if [ -n "$settings" ]; then
  [ "$(tr -d '\r' <"$settings")" = ringing.example.org:4000 ] || fail "the settings file holds $(cat -A "$settings")"
else
  fail "no settings file AppData\Roaming\Tolmer\server"
fi
for file in "${files[@]}"; do
  [ -f "$folder/$file" ] || fail "Program Files\\Tolmer\\$file is missing"
done
cmp -s "$folder/tolmer.exe" "$build/app/tolmer.exe" || fail "the installed tolmer.exe is not the one built"
if [ -f "$shortcut" ]; then
  link=$("$wine" "$build/tests/win32/tolmer-probe.exe" shortcut 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Tolmer.lnk' | tr -d '\r')
  [ "$(sed -n 's/^target //p' <<<"$link")" = 'C:\Program Files\Tolmer\tolmer.exe' ] || fail "the shortcut does not start tolmer.exe: $link"
  # The client opens its sounds by bare name: it must start among them.
  [ "$(sed -n 's/^folder //p' <<<"$link")" = 'C:\Program Files\Tolmer' ] || fail "the shortcut's working folder is not the sounds' folder: $link"
else
  fail "no Start-menu shortcut Tolmer.lnk"
fi
"$wine" reg query "$key" /v UninstallString >/dev/null 2>&1 || fail "no entry in Programs and Features"

# The uninstaller runs a copy of itself from the temporary folder: wait for every Wine process.
"$wine" "$folder/uninstall.exe" /S || fail "the silent uninstall exited with $?"
"$wineserver" -w
[ ! -e "$folder" ] || fail "Program Files\\Tolmer is left behind: $(ls "$folder")"
[ ! -e "$shortcut" ] || fail "the Start-menu shortcut is left behind"
if "$wine" reg query "$key" >/dev/null 2>&1; then fail "the Programs and Features entry is left behind"; fi
[ -z "$settings" ] || [ -f "$settings" ] || fail "the uninstall removed the user's settings file"

[ "$errors" -eq 0 ] || { echo "installer: $errors problem(s)" >&2; exit 1; }
echo "installer: installs and uninstalls what it should"

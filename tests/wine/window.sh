#!/usr/bin/env bash
# The Windows window under wine on a virtual X screen, and its installer.
#   tests/wine/window.sh LINUX-BUILD-DIR WINDOWS-BUILD-DIR
# WINEPREFIX must be set and the build's DLLs on WINEPATH. Checks: the
# screenshot has the Linux window's size (a copy is kept as
# WINDOWS-BUILD-DIR/screenshot-wine.png to look at); in demo mode the screen
# changes after the start button is clicked (the needles move); the NSIS
# installer installs silently for the current user, the installed
# kalvex.exe --version runs with nothing but its own folder, and the
# uninstaller leaves neither files, Start-menu entry nor registry entries.
set -euo pipefail
lin=$(realpath "$1")
win=$(realpath "$2")
: "${WINEPREFIX:?WINEPREFIX must be set}"
# The installer's shortcuts stay inside wine: no menu entries on this machine.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};winemenubuilder.exe=d"
work=$(mktemp -d)
display=:21
xvfb_pid=""
demo_pid=""
cleanup() {
  if [ -n "$demo_pid" ]; then kill "$demo_pid" 2>/dev/null || true; fi
  wineserver -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "window: $*" >&2
  exit 1
}

Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
for _ in $(seq 50); do
  xdotool getmouselocation >/dev/null 2>&1 && break
  sleep 0.1
done

png_size() { file "$1" | grep -Eo '[0-9]+ x [0-9]+' | head -n1; }

# The window as wine shows it, against the Linux build's.
"$lin/kalvex" --screenshot "$work/linux.png" >/dev/null 2>&1 ||
  fail "the Linux screenshot failed"
(cd "$work" && timeout 120 wine "$win/kalvex.exe" --screenshot windows.png) >/dev/null 2>&1 ||
  fail "kalvex.exe --screenshot failed"
[ -f "$work/windows.png" ] || fail "kalvex.exe --screenshot wrote nothing"
cp "$work/windows.png" "$win/screenshot-wine.png"
[ "$(png_size "$work/windows.png")" = "$(png_size "$work/linux.png")" ] ||
  fail "screenshot $(png_size "$work/windows.png") under wine, $(png_size "$work/linux.png") on Linux"
echo "window: kalvex.exe --screenshot: $(png_size "$work/windows.png"), as on Linux" \
  "($win/screenshot-wine.png)"

# Demo mode: start the session with a click on the start button, then the
# screen must change from one moment to the next.
wine "$win/kalvex.exe" --demo --select 0,0 >/dev/null 2>&1 &
demo_pid=$!
wid=$(timeout 60 xdotool search --sync --onlyvisible --name "Kalvex" | head -n1) ||
  fail "no kalvex.exe window appeared in demo mode"
sleep 2
eval "$(xdotool getwindowgeometry --shell "$wid")"
# The client area (861 x 555) sits at the bottom of the X window, centred,
# below whatever frame wine draws itself.
border=$(((WIDTH - 861) / 2))
xdotool mousemove --window "$wid" $((border + 696 + 80)) $((HEIGHT - border - 555 + 240)) click 1
sleep 4
xwd -root -silent >"$work/a.xwd"
sleep 1.5
xwd -root -silent >"$work/b.xwd"
cmp -s "$work/a.xwd" "$work/b.xwd" && fail "kalvex.exe --demo: nothing moved after the start"
echo "window: kalvex.exe --demo: the dashboard moves after the start button"
kill "$demo_pid" 2>/dev/null || true
wait "$demo_pid" 2>/dev/null || true
demo_pid=""
wineserver -k 2>/dev/null || true

# The installer, silently, for the current user.
installer=$(ls "$win"/Kalvex-*-win64.exe | head -n1)
local_app=$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')")
appdata=$(winepath -u "$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')")
target="$local_app/Programs/Kalvex"
menu="$appdata/Microsoft/Windows/Start Menu/Programs/Kalvex"
# A trial that stopped half-way leaves its uninstaller's key without the
# uninstaller, and the installer would stop on it.
rm -rf "$target" "$menu"
wine reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kalvex' /f >/dev/null 2>&1 || true
timeout 120 wine "$installer" /S >/dev/null 2>&1 || fail "the installer failed"
[ -f "$target/kalvex.exe" ] || fail "nothing installed in $target"
[ -f "$menu/Kalvex.lnk" ] || fail "no Start-menu entry in $menu"
version=$(env -u WINEPATH timeout 60 wine "$target/kalvex.exe" --version 2>/dev/null | tr -d '\r')
[ "$version" = "kalvex $(grep -Eo '^project\(Kalvex VERSION [0-9.]+' "$(dirname "$0")/../../CMakeLists.txt" | grep -Eo '[0-9.]+$')" ] ||
  fail "the installed kalvex.exe --version printed: $version"
cli_version=$(env -u WINEPATH timeout 60 wine "$target/kalvex-cli.exe" --version 2>/dev/null | tr -d '\r')
echo "window: installed in $target: $version; $cli_version; Start-menu entry Kalvex.lnk"
wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kalvex' >/dev/null 2>&1 ||
  fail "the installer registered no uninstaller"

timeout 120 wine "$target/Uninstall.exe" /S >/dev/null 2>&1 || fail "the uninstaller failed"
# The uninstaller runs on from a copy of itself: wait for it.
for _ in $(seq 100); do
  [ -e "$target" ] || break
  sleep 0.2
done
[ ! -e "$target" ] || fail "left behind: $(find "$target" | head -n5 | tr '\n' ' ')"
[ ! -e "$menu" ] || fail "the Start-menu folder is left"
if wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kalvex' >/dev/null 2>&1; then
  fail "the uninstall registry entry is left"
fi
if wine reg query 'HKCU\Software\Brenvik\Kalvex Installer' >/dev/null 2>&1; then
  fail "the installer's registry key is left"
fi
echo "window: uninstalled: no files, no Start-menu entry, no registry entries left"

#!/usr/bin/env bash
# The Windows window under wine on a virtual X screen, and its installer.
#   tests/wine/window.sh LINUX-BUILD-DIR WINDOWS-BUILD-DIR
# WINEPREFIX must be set and the build's DLLs on WINEPATH. Checks: the
# screenshot has the Linux window's size (a copy is kept as
# WINDOWS-BUILD-DIR/screenshot-wine.png to look at); in demo mode the screen
# changes after the start button is clicked (the needles move); the generic
# OBD-II demo finds its car and its dashboard shows live values that move
# (a copy kept as WINDOWS-BUILD-DIR/screenshot-wine-obd.png); the NSIS
# installer installs silently for the current user, the installed
# kalvex.exe --version runs with nothing but its own folder, the installed
# window looks the same, pixel for pixel, on a system without the host's
# fonts, and the uninstaller leaves neither files, Start-menu entry nor
# registry entries.
set -euo pipefail
lin=$(realpath "$1")
win=$(realpath "$2")
: "${WINEPREFIX:?WINEPREFIX must be set}"
# The installer's shortcuts stay inside wine: no menu entries on this machine.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};winemenubuilder.exe=d"
work=$(mktemp -d)
pixels="$(dirname "$0")/xwd_pixels.py"
xvfb_pid=""
demo_pid=""
cleanup() {
  if [ -n "$demo_pid" ]; then kill "$demo_pid" 2>/dev/null || true; fi
  wineserver -k 2>/dev/null || true
  if [ -d "$work/fontless" ]; then WINEPREFIX="$work/fontless" wineserver -k 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "window: $*" >&2
  exit 1
}

command -v python3 >/dev/null || fail "python3 is needed to read the screen's pixels"
# A display nobody else uses (Xvfb picks it and says which when it is
# ready): on a fixed one a second run at the same time would find, click
# and photograph the other run's windows.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start"
  sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb named no display within 10 s"
DISPLAY=":$(head -n1 "$work/display")"
export DISPLAY

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

# Starts kalvex.exe --demo --select SELECTION and clicks its start button;
# sets wid, and left and top: where the client area (861 x 555) begins in
# the X window, at its bottom, centred, below whatever frame wine draws.
start_demo() {
  wine "$win/kalvex.exe" --demo --select "$1" >/dev/null 2>&1 &
  demo_pid=$!
  # Polled rather than xdotool's --sync: wine makes and destroys helper
  # windows while it starts, and xdotool exits on the X error it gets when
  # one of them goes away between being listed and being looked at.
  wid=""
  for _ in $(seq 120); do
    wid=$(xdotool search --onlyvisible --name "Kalvex" 2>/dev/null | head -n1) || wid=""
    [ -n "$wid" ] && break
    sleep 0.5
  done
  [ -n "$wid" ] || fail "no kalvex.exe window appeared within 60 s in demo mode (--select $1)"
  sleep 2
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  left=$(((WIDTH - 861) / 2))
  top=$((HEIGHT - left - 555))
  xdotool mousemove --window "$wid" $((left + 696 + 80)) $((top + 240)) click 1
}
stop_demo() {
  kill "$demo_pid" 2>/dev/null || true
  wait "$demo_pid" 2>/dev/null || true
  demo_pid=""
  wineserver -k 2>/dev/null || true
}

# Demo mode: start the session with a click on the start button, then the
# screen must change from one moment to the next.
start_demo 0,0
sleep 4
xwd -root -silent >"$work/a.xwd"
sleep 1.5
xwd -root -silent >"$work/b.xwd"
cmp -s "$work/a.xwd" "$work/b.xwd" && fail "kalvex.exe --demo: nothing moved after the start"
echo "window: kalvex.exe --demo: the dashboard moves after the start button"
stop_demo

# The generic OBD-II demo (automatic protocol): the in-process car is found
# and read for faults first, with the gauges dimmed and still; then the
# value boxes light green and the needles move. Both are looked for in the
# gauges' part of the page (below the note that covers its top line while
# faults are read), about a second apart, for at most a minute.
start_demo 17,0
gauges="$((left + 8)) $((top + 48)) 660 362"
xwd -id "$wid" -silent >"$work/obd-a.xwd" || fail "kalvex.exe --demo --select 17,0: xwd failed"
found="" lit=0 moved=0
deadline=$((SECONDS + 60))
while [ "$SECONDS" -lt "$deadline" ]; do
  sleep 1
  before_lit=$lit
  xwd -id "$wid" -silent >"$work/obd-b.xwd" || fail "kalvex.exe --demo --select 17,0: xwd failed"
  # shellcheck disable=SC2086  # the rectangle is four words
  lit=$(python3 "$pixels" count "$work/obd-b.xwd" $gauges 00ff00) ||
    fail "kalvex.exe --demo --select 17,0: the screen could not be read"
  # shellcheck disable=SC2086
  moved=$(python3 "$pixels" diff "$work/obd-a.xwd" "$work/obd-b.xwd" $gauges) ||
    fail "kalvex.exe --demo --select 17,0: the screen could not be read"
  # Moving counts only between two frames that both show live values.
  if [ "$before_lit" -ge 500 ] && [ "$lit" -ge 500 ] && [ "$moved" -ge 100 ]; then
    found=yes
    break
  fi
  mv "$work/obd-b.xwd" "$work/obd-a.xwd"
done
[ -n "$found" ] ||
  fail "kalvex.exe --demo --select 17,0: no moving dashboard within 60 s of the start" \
    "(last: $lit green pixels, $moved changed)"
python3 "$pixels" png "$work/obd-b.xwd" "$win/screenshot-wine-obd.png" \
  "$left" "$top" 861 555 || fail "kalvex.exe --demo --select 17,0: no PNG of the window"
echo "window: kalvex.exe --demo --select 17,0: generic OBD-II car found, the gauges show" \
  "values ($lit green pixels) and move ($moved pixels changed from one look to the next)" \
  "($win/screenshot-wine-obd.png)"
stop_demo

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
echo "window: installed in $target: $version; $cli_version; Start-menu entry Kalvex.lnk;" \
  "installer $(du -k "$installer" | cut -f1) KiB, installed $(du -sk "$target" | cut -f1) KiB"

# The installed window on a system without the host's fonts: a prefix made
# under a fontconfig that names no font folder (wine notes every font it
# ever found in the prefix's registry and loads it from there again, so
# hiding them from the prefix the other trials use would prove nothing). It
# has wine's own fonts, as Windows has its own, and no DejaVu Sans but the
# one in fonts\ beside kalvex.exe. Qt writes the same pixels into the
# same bytes, so equal files are equal pictures.
printf '<?xml version="1.0"?>\n<fontconfig><cachedir>%s</cachedir></fontconfig>\n' \
  "$work/fontconfig-cache" >"$work/no-fonts.conf"
fontless() { WINEPREFIX="$work/fontless" FONTCONFIG_FILE="$work/no-fonts.conf" "$@"; }
fontless wineboot -u >/dev/null 2>&1 || fail "wineboot failed for the prefix without the host's fonts"
fontless wineserver -w || true
# Both with no settings, as the new prefix has none: the window tests under
# wine leave theirs (a language, a make) in this prefix's registry.
wine reg delete 'HKCU\Software\Brenvik\Kalvex' /f >/dev/null 2>&1 || true
(cd "$work" && env -u WINEPATH timeout 120 wine "$target/kalvex.exe" --screenshot fonts-host.png) \
  >/dev/null 2>&1 || fail "the installed kalvex.exe --screenshot failed"
(cd "$work" && fontless env -u WINEPATH timeout 120 wine "$target/kalvex.exe" \
  --screenshot fonts-own.png) >/dev/null 2>&1 ||
  fail "the installed kalvex.exe --screenshot failed without the host's fonts"
# The same window from the build tree, which has no fonts\ beside it, must
# come out otherwise there: else the host's fonts were not hidden after all.
(cd "$work" && fontless timeout 120 wine "$win/kalvex.exe" --screenshot fonts-none.png) \
  >/dev/null 2>&1 || fail "kalvex.exe --screenshot failed without the host's fonts"
cmp -s "$work/fonts-host.png" "$work/fonts-own.png" || {
  cp "$work/fonts-host.png" "$win/screenshot-wine-fonts-host.png"
  cp "$work/fonts-own.png" "$win/screenshot-wine-fonts-own.png"
  fail "the installed window without the host's fonts differs from the one with them" \
    "($win/screenshot-wine-fonts-own.png, $win/screenshot-wine-fonts-host.png)"
}
cmp -s "$work/fonts-host.png" "$work/fonts-none.png" &&
  fail "the host's fonts were not hidden: the build tree's kalvex.exe, without fonts\\," \
    "looks the same in the prefix made without them"
fontless wineserver -k 2>/dev/null || true
echo "window: the installed kalvex.exe --screenshot is the same, pixel for pixel, in a prefix" \
  "that never saw the host's fonts (with only its own fonts\\DejaVuSans*.ttf) as with them;" \
  "the build tree's, without fonts\\, is not"
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

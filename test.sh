#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once in a normal
# build, once more with AddressSanitizer and UndefinedBehaviorSanitizer, and
# the Windows build of the core and kalvex-cli under wine (with the window
# and its installer when the cached Qt for MinGW-w64 exists).
set -euo pipefail
# (pipefail: a failing ctest or fuzz run fails the script through its tee)
cd "$(dirname "$0")"
. ./scripts_common.sh
kalvex_install_missing

# The layers: every include points down; fails on any other include.
tools/check_layers.sh

# A toolchain whose long double has only 53 bits (MSVC's) must be refused.
if echo '#include "catalogue/decoder_table.h"' |
  g++ -std=c++20 -Isrc -mlong-double-64 -fsyntax-only -x c++ - 2>/dev/null; then
  echo "test.sh: a 64-bit long double was not refused" >&2
  exit 1
fi

# The cross compiler and wine; without them the Windows part is skipped.
windows=yes
if ! (kalvex_install_missing "$KALVEX_WINDOWS_PACKAGES" --no-install-recommends) ||
  ! command -v x86_64-w64-mingw32-g++-posix >/dev/null || ! command -v wine >/dev/null; then
  windows=no
fi

# Each ctest run's count of suites passed adds to the closing line.
passed=0
count_suites() {  # count_suites LOG: adds "N" of "0 tests failed out of N"
  local n
  n=$(grep -Eo '0 tests failed out of [0-9]+' "$1" | grep -Eo '[0-9]+$' || echo 0)
  passed=$((passed + n))
}

kalvex_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
(cd build && ctest --output-on-failure -j 2) | tee build/ctest.log
count_suites build/ctest.log

# Windows: the core and kalvex-cli.exe built with MinGW-w64 and run under
# wine: the core's tests that need no pseudo-terminal, the Win32 port's own,
# and every golden decode case, byte for byte the same as the Linux build.
if [ "$windows" = yes ]; then
  # With the cached Qt for MinGW-w64 the same build makes the window too.
  win_gui=(-DKALVEX_QT_MINGW=)
  if tools/build_qt_mingw.sh --check; then
    kalvex_install_missing "$KALVEX_WINDOWS_GUI_PACKAGES" --no-install-recommends
    qt_mingw=$(tools/build_qt_mingw.sh --prefix)
    win_gui=(-DKALVEX_GUI=ON -DKALVEX_QT_MINGW="$qt_mingw")
  fi
  kalvex_build build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
    "${win_gui[@]}"
  export WINEPREFIX="$PWD/build-win/wineprefix" WINEARCH=win64 WINEDEBUG=-all \
    WINEDLLOVERRIDES="mscoree,mshtml="
  if [ -n "${qt_mingw:-}" ]; then
    # Wine finds the Qt and MinGW runtime DLLs of the build tree on this path.
    windows_path() { echo "Z:${1//\//\\}"; }
    WINEPATH="$(windows_path "$qt_mingw/bin");$(windows_path /usr/x86_64-w64-mingw32/lib)"
    WINEPATH="$WINEPATH;$(windows_path "$(dirname "$(x86_64-w64-mingw32-g++-posix \
      -print-file-name=libstdc++-6.dll)")")"
    export WINEPATH
  fi
  # The prefix made once, before two test binaries could race to make it,
  # and settled: a window test started while a new prefix still sets itself
  # up in the background waited for ever on its first multimedia timer.
  wineboot -u >/dev/null 2>&1 || true
  wineserver -w || true
  xvfb_pid=""
  if [ -n "${qt_mingw:-}" ]; then
    # Wine makes its windows on an X display, even for Qt's minimal platform.
    Xvfb :22 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=:22
  fi
  (cd build-win && ctest --output-on-failure -j 2) | tee build-win/ctest.log
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" || true; unset DISPLAY; fi
  count_suites build-win/ctest.log
  tools/compare_decode_windows.sh build/kalvex-cli build-win/kalvex-cli.exe
  # Probing reaches the high numbers: wine opens whatever COM200 links to.
  ln -sfn /dev/null "$WINEPREFIX/dosdevices/com200"
  ports=$(wine build-win/kalvex-cli.exe ports)
  rm -f "$WINEPREFIX/dosdevices/com200"
  grep -qx COM200 <<<"$ports" || { echo "test.sh: kalvex-cli.exe ports did not list COM200" >&2; exit 1; }
  wineserver -k || true
  # Serial sessions against the Linux simulator through a pty as COM7.
  tests/wine/serial_sessions.sh build/kalvex-cli build-win/kalvex-cli.exe
  if [ -n "${qt_mingw:-}" ]; then
    (cd build-win && cpack -G NSIS >/dev/null)
    tests/wine/window.sh build build-win
  else
    echo "test.sh: SKIPPED the Windows window, its tests under wine and the installer:" \
      "no Qt for MinGW-w64 in $(tools/build_qt_mingw.sh --prefix) yet; ./package-windows.sh builds it" >&2
  fi
else
  echo "test.sh: SKIPPED the Windows build and its tests under wine: could not install" \
    "the MinGW-w64 cross compiler (g++-mingw-w64-x86-64-posix) or wine" >&2
fi

kalvex_build build-asan -DCMAKE_BUILD_TYPE=Debug -DKALVEX_SANITIZE=ON -DKALVEX_BENCH=OFF
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j 2) | tee build-asan/ctest.log
count_suites build-asan/ctest.log

# A short run of every fuzz target (about 10 s each); fuzz/run.sh --minutes N
# runs them long.
fuzz/run.sh --seconds 10 | tee build/fuzz.log
passed=$((passed + $(grep -c ' runs in ' build/fuzz.log)))

echo "test.sh: $passed passed, 0 failed"

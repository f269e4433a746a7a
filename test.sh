#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once in a normal
# build, once more with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
# (pipefail: a failing ctest or fuzz run fails the script through its tee)
cd "$(dirname "$0")"
. ./scripts_common.sh
kalvex_install_missing

# The layers: every include points down; fails on any other include.
tools/check_layers.sh

# The Win32 serial back end is compiled (syntax only) where a MinGW-w64
# compiler is installed, so it keeps up with the shared code.
if command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
  x86_64-w64-mingw32-g++-posix -std=c++20 -fsyntax-only -Isrc \
    src/link/win32/va_comm_win32.cpp src/link/va_comm.cpp src/link/port_discovery.cpp
  echo "Win32 serial back end: compiles (syntax only, MinGW-w64)"
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

kalvex_build build-asan -DCMAKE_BUILD_TYPE=Debug -DKALVEX_SANITIZE=ON -DKALVEX_BENCH=OFF
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j 2) | tee build-asan/ctest.log
count_suites build-asan/ctest.log

# A short run of every fuzz target (about 10 s each); fuzz/run.sh --minutes N
# runs them long.
fuzz/run.sh --seconds 10 | tee build/fuzz.log
passed=$((passed + $(grep -c ' runs in ' build/fuzz.log)))

echo "test.sh: $passed passed, 0 failed"

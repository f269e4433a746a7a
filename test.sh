#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once in a normal
# build, once more with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
. ./scripts_common.sh
kalvex_install_missing

kalvex_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
(cd build && ctest --output-on-failure -j 2)

kalvex_build build-asan -DCMAKE_BUILD_TYPE=Debug -DKALVEX_SANITIZE=ON -DKALVEX_BENCH=OFF
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j 2)

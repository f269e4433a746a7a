#!/usr/bin/env bash
# Installs what is missing, builds, and starts Kalvex on the built-in simulator.
set -euo pipefail
cd "$(dirname "$0")"
. ./scripts_common.sh
kalvex_install_missing
kalvex_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
exec ./build/kalvex --demo "$@"

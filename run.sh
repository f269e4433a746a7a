#!/usr/bin/env bash
# Installs what is missing, builds, and starts Kalvex on the built-in simulator.
set -euo pipefail
cd "$(dirname "$0")"
. ./scripts_common.sh
kalvex_install_missing
kalvex_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: no display to show the window on (DISPLAY and WAYLAND_DISPLAY are unset)." >&2
  echo "        Headless: ./build/kalvex --demo --screenshot out.png, or ./build/kalvex-cli --help" >&2
  exit 1
fi
exec ./build/kalvex --demo "$@"

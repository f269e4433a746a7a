#!/usr/bin/env bash
# Builds the Debian package: build/kalvex_VERSION_ARCH.deb.
# Install it with: sudo apt-get install ./build/kalvex_*.deb
set -euo pipefail
cd "$(dirname "$0")"
. ./scripts_common.sh
kalvex_install_missing
kalvex_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
(cd build && cpack -G DEB)
ls -1 build/kalvex_*.deb

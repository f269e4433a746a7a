#!/usr/bin/env bash
# Builds the Debian package: build-package/kalvex_VERSION_ARCH.deb.
# Install it with: sudo apt-get install ./build-package/kalvex_*.deb
# Check it with: lintian build-package/kalvex_*.deb
set -euo pipefail
cd "$(dirname "$0")"
. ./scripts_common.sh
kalvex_install_missing
# Only what is installed: no tests, no benchmarks (a build of its own, so the
# test build keeps its settings).
kalvex_build build-package -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALVEX_TESTS=OFF -DKALVEX_BENCH=OFF
(cd build-package && cpack -G DEB)
ls -1 build-package/kalvex_*.deb

#!/usr/bin/env bash
# Builds the Windows programs and their installer with MinGW-w64:
#   build-win-package/Kalvex-VERSION-win64.exe   (per-user NSIS installer)
# holding kalvex.exe, kalvex-cli.exe and the Qt and MinGW runtime files.
# The first run cross-builds Qt 6 base for MinGW-w64 from Debian's source
# package into /var/cache/kalvex (about 50 CPU-minutes, once).
set -euo pipefail
cd "$(dirname "$0")"
. ./scripts_common.sh
kalvex_install_missing "$KALVEX_PACKAGES $KALVEX_WINDOWS_PACKAGES $KALVEX_WINDOWS_GUI_PACKAGES"
tools/build_qt_mingw.sh
kalvex_build build-win-package -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DKALVEX_GUI=ON -DKALVEX_QT_MINGW="$(tools/build_qt_mingw.sh --prefix)" \
  -DKALVEX_TESTS=OFF -DKALVEX_BENCH=OFF  # only what the installer ships
(cd build-win-package && cpack -G NSIS)
ls -1 build-win-package/Kalvex-*-win64.exe

#!/bin/bash
# Cross-builds Qt 6 base (Core, Gui, Widgets, the windows platform plugin and
# the windowsvista style) for 64-bit Windows with Debian's MinGW-w64, from
# Debian's own qt6-base source package: the same 6.4.2 as the host's moc, rcc
# and uic, which the cross build runs (QT_HOST_PATH=/usr).
#
# The result lives outside the source tree and is built once:
#   tools/build_qt_mingw.sh            build if missing or the flags changed
#   tools/build_qt_mingw.sh --prefix   print where it is (or would be)
#   tools/build_qt_mingw.sh --check    exit 0 if it is complete and current
# About 830 compiles; JOBS (default 2) sets the parallelism, and the build
# runs at the lowest priority so it can share the machine.
set -euo pipefail

QT_VERSION=6.4.2
QT_DEBIAN_VERSION=6.4.2+dfsg-10
CACHE=${KALVEX_CACHE:-/var/cache/kalvex}
PREFIX=${KALVEX_QT_MINGW:-$CACHE/qt6-mingw-$QT_VERSION}
SRC_PARENT=$CACHE/src
SRC=$SRC_PARENT/qt6-base-$QT_VERSION+dfsg
BUILD=$CACHE/build-qt6-mingw-$QT_VERSION
JOBS=${JOBS:-2}

# Everything that decides what gets built. A change here rebuilds the cache.
QT_FLAGS=(
  -DCMAKE_BUILD_TYPE=Release
  -DBUILD_SHARED_LIBS=ON
  -DQT_HOST_PATH=/usr
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DQT_BUILD_TOOLS_WHEN_CROSSCOMPILING=OFF
  # Only Core, Gui and Widgets.
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF
  -DINPUT_opengl=no -DFEATURE_vulkan=OFF -DFEATURE_printsupport=OFF
  -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_testlib=OFF
  -DFEATURE_direct2d=OFF -DFEATURE_androiddeployqt=OFF -DFEATURE_windeployqt=OFF
  -DFEATURE_icu=OFF -DFEATURE_zstd=OFF -DFEATURE_freetype=OFF -DFEATURE_jpeg=OFF
  # Debian's source lacks the Wacom tablet header (its licence), which the
  # windows plugin needs for tablet input.
  -DFEATURE_tabletevent=OFF
  # Without Direct2D, Gui leaves out the DirectWrite 3 font database that the
  # windows plugin still asks for (it fails to link); GDI fonts serve instead.
  -DFEATURE_directwrite3=OFF
  # Third-party libraries from Qt's own sources, linked in statically: nothing
  # from the Linux host (no pkg-config) may end up in a Windows binary.
  -DFEATURE_pkg_config=OFF
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF
  -DFEATURE_system_png=OFF -DFEATURE_system_doubleconversion=OFF
)
STAMP_TEXT="qt6-base $QT_DEBIAN_VERSION ${QT_FLAGS[*]}"
STAMP=$PREFIX/.kalvex-build-flags

complete() {
  [ -f "$STAMP" ] && [ "$(cat "$STAMP")" = "$STAMP_TEXT" ] &&
    [ -f "$PREFIX/lib/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake" ] &&
    [ -f "$PREFIX/plugins/platforms/qwindows.dll" ] &&
    [ -f "$PREFIX/plugins/styles/qwindowsvistastyle.dll" ]
}

case "${1:-}" in
  --prefix) echo "$PREFIX"; exit 0 ;;
  --check) complete; exit $? ;;
  "") ;;
  *) echo "usage: $0 [--prefix|--check]" >&2; exit 2 ;;
esac

if complete; then
  echo "Qt $QT_VERSION for MinGW-w64 is ready in $PREFIX"
  exit 0
fi

# Debian's source package: needs a deb-src entry for the release.
if [ ! -f "$SRC/CMakeLists.txt" ]; then
  sudo=""
  if [ "$(id -u)" != "0" ]; then sudo="sudo"; fi
  if ! grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    echo "Adding a deb-src entry for Debian bookworm"
    printf '%s\n' "Types: deb-src" "URIs: http://deb.debian.org/debian" \
      "Suites: bookworm bookworm-updates" "Components: main" \
      "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" |
      $sudo tee /etc/apt/sources.list.d/kalvex-debian-src.sources >/dev/null
    $sudo apt-get update -q
  fi
  $sudo mkdir -p "$SRC_PARENT"
  $sudo chown "$(id -u):$(id -g)" "$SRC_PARENT"
  (cd "$SRC_PARENT" && apt-get source -q "qt6-base=$QT_DEBIAN_VERSION")
fi

mkdir -p "$BUILD"
cp "$(dirname "$0")/../cmake/mingw-w64-x86_64-compilers.cmake" "$BUILD/toolchain.cmake"

start=$(date +%s)
# Other flags: a fresh configuration (no stale cache entries), over the old
# build tree, so only what the change touches is compiled again.
fresh=()
if [ -f "$BUILD/.flags" ] && [ "$(cat "$BUILD/.flags")" != "$STAMP_TEXT" ]; then fresh=(--fresh); fi
cmake "${fresh[@]}" -S "$SRC" -B "$BUILD/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$BUILD/toolchain.cmake" -DCMAKE_INSTALL_PREFIX="$PREFIX" \
  "${QT_FLAGS[@]}"
echo "$STAMP_TEXT" >"$BUILD/.flags"
nice -n 19 cmake --build "$BUILD/build" -j "$JOBS"
rm -rf "$PREFIX"
cmake --install "$BUILD/build"
echo "$STAMP_TEXT" >"$STAMP"
echo "Qt $QT_VERSION for MinGW-w64 built in $(( $(date +%s) - start )) s into $PREFIX"

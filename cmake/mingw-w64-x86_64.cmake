# Cross build of the core and kalvex-cli for 64-bit Windows with Debian's
# MinGW-w64 (the posix thread model, for std::thread and std::mutex).
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64-compilers.cmake)
# Tests and kalvex-cli.exe run here under wine.
find_program(KALVEX_WINE wine)
if(KALVEX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KALVEX_WINE})
endif()
# Debian has no Qt for MinGW: the window is built only against the Qt that
# tools/build_qt_mingw.sh cross-builds, given as -DKALVEX_QT_MINGW=PREFIX.
# It runs the host's moc, rcc and uic (the same Qt version).
if(KALVEX_QT_MINGW)
  list(APPEND CMAKE_FIND_ROOT_PATH ${KALVEX_QT_MINGW})
  list(APPEND CMAKE_PREFIX_PATH ${KALVEX_QT_MINGW})
  set(QT_HOST_PATH /usr)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
else()
  set(KALVEX_GUI OFF CACHE BOOL "" FORCE)
endif()
set(KALVEX_BENCH OFF CACHE BOOL "" FORCE)
# GoogleTest from Debian's sources, built with this compiler.
set(KALVEX_GTEST_SOURCE /usr/src/googletest CACHE PATH "")

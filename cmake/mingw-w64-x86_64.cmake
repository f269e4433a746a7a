# Cross build of the core and kalvex-cli for 64-bit Windows with Debian's
# MinGW-w64 (the posix thread model, for std::thread and std::mutex).
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
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

# Shared by run.sh and test.sh: install what is missing, then configure.
# Every package the build, the tests and the benchmarks need is named here.
KALVEX_PACKAGES="g++ cmake ninja-build qt6-base-dev libgl-dev libgtest-dev libgmock-dev \
libbenchmark-dev fonts-dejavu-core clang libclang-rt-14-dev dpkg-dev qt6-translations-l10n lintian \
qt6-l10n-tools qt6-tools-dev libcli11-dev"
# The Windows build of the core and kalvex-cli, run under wine by test.sh
# (googletest holds the sources GoogleTest is built from for MinGW).
KALVEX_WINDOWS_PACKAGES="g++-mingw-w64-x86-64-posix wine wine64 googletest"
# The window for Windows: Qt cross-built from Debian's source (needs
# dpkg-dev for apt-get source), the NSIS installer, and Xvfb to look at the
# window under wine (xdotool clicks, xwd looks, python3 reads its pixels).
KALVEX_WINDOWS_GUI_PACKAGES="dpkg-dev nsis xvfb xdotool x11-apps python3"

kalvex_install_missing() {  # kalvex_install_missing [PACKAGES [APT-OPTIONS]] (default: KALVEX_PACKAGES)
  local missing=""
  for p in ${1:-$KALVEX_PACKAGES}; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing="$missing $p"
    fi
  done
  if [ -n "$missing" ]; then
    echo "Installing:$missing"
    local sudo=""
    if [ "$(id -u)" != "0" ]; then sudo="sudo"; fi
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q ${2:-} $missing
  fi
}

kalvex_build() {  # kalvex_build DIR [cmake options...]
  local dir="$1"; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
}

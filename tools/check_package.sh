#!/usr/bin/env bash
# The package as a user gets it: a fresh Debian 12 root (Debian's
# mmdebstrap), `apt-get install ./kalvex_*.deb` inside it, then the window's
# screenshot offscreen, kalvex-cli simulate and monitor, all from /usr/bin.
# Needs root (or mmdebstrap's unshare mode) and a reachable Debian mirror;
# not part of test.sh. The screenshot is left beside the package.
#   tools/check_package.sh build-package/kalvex_1.5_amd64.deb [MIRROR]
set -euo pipefail
deb=$(realpath "$1")
mirror=${2:-http://deb.debian.org/debian}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

cat >"$out/inside.sh" <<'INSIDE'
set -eu
cd /tmp
ls -l /usr/bin/kalvex /usr/bin/kalvex-cli
/usr/bin/kalvex --version
/usr/bin/kalvex-cli --version
man -w kalvex kalvex-cli 2>/dev/null || ls /usr/share/man/man1/kalvex*
QT_QPA_PLATFORM=offscreen /usr/bin/kalvex --screenshot /tmp/out.png
ls -l /tmp/out.png
/usr/bin/kalvex-cli simulate --make 0 --ecu 0 >/tmp/sim.txt &
sim=$!
for _ in 1 2 3 4 5 6 7 8 9 10; do [ -s /tmp/sim.txt ] && break; sleep 0.5; done
port=$(head -1 /tmp/sim.txt)
echo "simulator on $port"
/usr/bin/kalvex-cli monitor --port "$port" --adapter elm327 --make 0 --ecu 0 --replies 3
/usr/bin/kalvex-cli monitor --port "$port" --adapter kesta --make 0 --ecu 0 --faults --duration 3
kill "$sim"
INSIDE

# The root is thrown away afterwards (null format): only the screenshot is kept.
mmdebstrap --variant=apt --format=null bookworm /dev/null "$mirror" \
  --customize-hook="copy-in $deb /tmp" \
  --customize-hook='chroot "$1" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q /tmp/'"$(basename "$deb")" \
  --customize-hook="copy-in $out/inside.sh /tmp" \
  --customize-hook='chroot "$1" sh /tmp/inside.sh' \
  --customize-hook='copy-out /tmp/out.png '"$out"
shot="$(dirname "$deb")/package-check.png"
cp "$out/out.png" "$shot"
echo "check_package: installed and ran in a fresh Debian 12 root; the window: $shot"

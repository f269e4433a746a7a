#!/usr/bin/env bash
# Runs every golden decode case (tests/data/decode/*.txt: a "M E N HEX" line,
# then what `kalvex-cli decode` must print) through the Linux kalvex-cli and
# the MinGW kalvex-cli.exe under wine, and fails unless both print exactly
# the expected bytes.
#   tools/compare_decode_windows.sh LINUX_CLI WINDOWS_CLI_EXE
set -euo pipefail
linux=$1
windows=$2
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Blocks are separated by blank lines; '#' lines are comments; "rotation"
# blocks are session checks, not decode cases.
awk -v cases="$work/cases.txt" -v expected="$work/expected.txt" '
  /^#/ { next }
  { sub(/\r$/, "") }
  /^[ \t]*$/ { if (open && !skip) print "" > expected; open = 0; skip = 0; next }
  !open && /^rotation / { open = 1; skip = 1; next }
  !open { print > cases; open = 1; next }
  !skip { print > expected }
  END { if (open && !skip) print "" > expected }
' tests/data/decode/*.txt
count=$(wc -l <"$work/cases.txt")
if [ "$count" -lt 100 ]; then
  echo "decode cases: only $count cases found under tests/data/decode" >&2
  exit 1
fi

"$linux" decode --stdin <"$work/cases.txt" >"$work/linux.txt"
wine "$windows" decode --stdin <"$work/cases.txt" >"$work/windows.txt"

status=0
for side in linux windows; do
  if ! cmp -s "$work/expected.txt" "$work/$side.txt"; then
    echo "decode cases: the $side build differs from the golden files:" >&2
    { diff "$work/expected.txt" "$work/$side.txt" || true; } | head -20 >&2
    status=1
  fi
done
[ "$status" = 0 ] && echo "decode cases: $count cases, Linux and Windows (wine) output byte-identical to the golden files"
exit "$status"

#!/usr/bin/env bash
# Fails when translations/kalvex_en.ts lags behind the sources: a marked
# text without a finished English translation, a text lupdate finds that the
# file lacks, or an entry whose text is gone from the sources.
#   tools/check_translations.sh [LUPDATE]
# After changing texts: tools/check_translations.sh --update, then translate
# the new entries (Qt Linguist, or by hand) and drop type="unfinished".
set -euo pipefail
cd "$(dirname "$0")/.."
lupdate=${1:-/usr/lib/qt6/bin/lupdate}
ts=translations/kalvex_en.ts
# The same options for the check and the update, so both see the same texts.
options=(-locations none -extensions cpp,h -silent)
if [ "$lupdate" = --update ]; then
  /usr/lib/qt6/bin/lupdate "${options[@]}" -no-obsolete src -ts "$ts"
  exit 0
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp "$ts" "$tmp/kalvex_en.ts"
"$lupdate" "${options[@]}" src -ts "$tmp/kalvex_en.ts"
status=0
if grep -q 'type="unfinished"' "$tmp/kalvex_en.ts"; then
  echo "check_translations: texts without a finished English translation:" >&2
  grep -B1 'type="unfinished"' "$tmp/kalvex_en.ts" | grep '<source>' >&2
  status=1
fi
if grep -Eq 'type="(vanished|obsolete)"' "$tmp/kalvex_en.ts"; then
  echo "check_translations: entries whose text is no longer in the sources:" >&2
  grep -E -B1 'type="(vanished|obsolete)"' "$tmp/kalvex_en.ts" | grep '<source>' >&2
  status=1
fi
if ! cmp -s "$ts" "$tmp/kalvex_en.ts"; then
  echo "check_translations: lupdate would change $ts; run tools/check_translations.sh --update" >&2
  diff "$ts" "$tmp/kalvex_en.ts" | head -20 >&2
  status=1
fi
[ "$status" = 0 ] && echo "check_translations: $(grep -c '<source>' "$ts") texts, all translated"
exit "$status"

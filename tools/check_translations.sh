#!/usr/bin/env bash
# Fails when a translation (each translations/kalvex_XX.ts) lags behind the
# sources: a marked text without a finished translation, a text lupdate
# finds that the file lacks, or an entry whose text is gone from the sources.
#   tools/check_translations.sh [LUPDATE]
# After changing texts: tools/check_translations.sh --update, then translate
# the new entries (Qt Linguist, or by hand) and drop type="unfinished".
set -euo pipefail
cd "$(dirname "$0")/.."
lupdate=${1:-/usr/lib/qt6/bin/lupdate}
# The same options for the check and the update, so both see the same texts.
options=(-locations none -extensions cpp,h -silent)
if [ "$lupdate" = --update ]; then
  for ts in translations/kalvex_*.ts; do
    /usr/lib/qt6/bin/lupdate "${options[@]}" -no-obsolete src -ts "$ts"
  done
  exit 0
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
status=0
for ts in translations/kalvex_*.ts; do
  name=$(basename "$ts")
  cp "$ts" "$tmp/$name"
  "$lupdate" "${options[@]}" src -ts "$tmp/$name"
  ok=1
  if grep -q 'type="unfinished"' "$tmp/$name"; then
    echo "check_translations: $name: texts without a finished translation:" >&2
    grep -B1 'type="unfinished"' "$tmp/$name" | grep '<source>' >&2
    ok=0
  fi
  if grep -Eq 'type="(vanished|obsolete)"' "$tmp/$name"; then
    echo "check_translations: $name: entries whose text is no longer in the sources:" >&2
    grep -E -B1 'type="(vanished|obsolete)"' "$tmp/$name" | grep '<source>' >&2
    ok=0
  fi
  if ! cmp -s "$ts" "$tmp/$name"; then
    echo "check_translations: lupdate would change $ts; run tools/check_translations.sh --update" >&2
    diff "$ts" "$tmp/$name" | head -20 >&2
    ok=0
  fi
  if [ "$ok" = 1 ]; then
    echo "check_translations: $name: $(grep -c '<source>' "$ts") texts, all translated"
  else
    status=1
  fi
done
exit "$status"

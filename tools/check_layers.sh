#!/usr/bin/env bash
# Every #include "..." under src/ must point down the layers: a folder may
# include itself and the folders listed for it here, nothing else.
set -euo pipefail
cd "$(dirname "$0")/../src"

declare -A allowed=(
  [protocol]=""
  [catalogue]="protocol"
  [obd]="protocol"
  [decode]="protocol catalogue faults"
  [faults]="protocol catalogue"
  [link]="protocol"
  [adapter]="protocol catalogue obd link"
  [session]="protocol catalogue obd decode faults link adapter"
  [ui]="protocol catalogue obd"
  [sim]="protocol catalogue"
  [cli]="protocol catalogue obd decode faults link adapter session sim"
  [app]="protocol catalogue obd decode faults link adapter session sim cli ui"
)

bad=0
while IFS= read -r -d '' file; do
  from=${file#./}
  from=${from%%/*}
  if [[ -z ${allowed[$from]+set} ]]; then
    echo "check_layers: $file: folder '$from' has no place in the layers" >&2
    bad=1
    continue
  fi
  while IFS= read -r line; do
    target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/' <<<"$line")
    to=${target%%/*}
    [[ $target == */* ]] || { echo "check_layers: $file: include \"$target\" names no folder" >&2; bad=1; continue; }
    [[ $to == "$from" ]] && continue
    if [[ " ${allowed[$from]} " != *" $to "* ]]; then
      echo "check_layers: $file includes \"$target\": $from may include only: ${allowed[$from]:-nothing of src/}" >&2
      bad=1
    fi
  done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
done < <(find . -type f \( -name '*.h' -o -name '*.cpp' \) -print0)

if [[ $bad -ne 0 ]]; then exit 1; fi
echo "check_layers: every include points down the layers"

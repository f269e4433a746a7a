#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan+UBSan, core only) and runs each.
#   fuzz/run.sh --seconds N    each target N seconds (./test.sh uses a short run)
#   fuzz/run.sh --minutes N    each target N minutes, the whole-session target
#                              three times as long (it is the slowest)
# Corpora grow in build-fuzz/corpus/<target>; crashes land in build-fuzz/crashes.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=10
case "${1:-}" in
  --seconds) seconds=${2:?}; ;;
  --minutes) seconds=$(( ${2:?} * 60 )); ;;
  "") ;;
  *) echo "usage: fuzz/run.sh [--seconds N | --minutes N]" >&2; exit 2 ;;
esac

dir=${KALVEX_FUZZ_DIR:-build-fuzz}
CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKALVEX_FUZZ=ON -DKALVEX_GUI=OFF -DKALVEX_BENCH=OFF >/dev/null
targets="fuzz_elm327_lines fuzz_obd_lines fuzz_obd_sim_lines fuzz_kesta_lines fuzz_reply_handling fuzz_decode_line fuzz_settings_value fuzz_session fuzz_replay_log fuzz_plot_csv fuzz_obd_reply"
cmake --build "$dir" -j "$(nproc)" --target $targets

# Seeds: what the transcripts and golden files say, one message per file.
seed() {  # seed TARGET NAME TEXT(printf %b escapes)
  mkdir -p "$dir/corpus/$1"
  printf '%b' "$3" > "$dir/corpus/$1/seed_$2"
}
n=0
for f in tests/data/session/*.txt; do
  while IFS= read -r line; do
    n=$((n + 1))
    case "$line" in
      "< "*) seed fuzz_elm327_lines "$n" "\\x00\\x00${line#< }" ;;
      "K< "*) seed fuzz_kesta_lines "$n" "${line#K< }\\r" ;;
    esac
  done < "$f"
  mkdir -p "$dir/corpus/fuzz_session"
  cp "$f" "$dir/corpus/fuzz_session/seed_$(basename "$f")"
done
for f in tests/data/decode/*.txt; do
  mkdir -p "$dir/corpus/fuzz_decode_line" "$dir/corpus/fuzz_reply_handling"
  grep -E '^[0-9-]+ [0-9-]+ [0-9]+ ' "$f" > "$dir/corpus/fuzz_decode_line/seed_$(basename "$f")" || true
done
for v in 0 1 -1 12 2147483647 -2147483648 2147483648 " 1" 1x 007 -0; do
  n=$((n + 1)); seed fuzz_settings_value "$n" "$v"
done
# The replay reader: make 0 type 0, then the logs the tests feed it whole.
mkdir -p "$dir/corpus/fuzz_replay_log"
printf '\x00\x00\xff31/10/2027 02:59:58 -E- 6101112233\r\n31/10/2027 02:00:00 --- 2101NODATA>\r-1:-5:-9 00:00:00\n' \
  > "$dir/corpus/fuzz_replay_log/seed_replay"
for f in build/testenv/e2e/replay_*.log; do
  [ -f "$f" ] || continue
  { printf '\x00\x00\xff'; head -c 3000 "$f"; } > "$dir/corpus/fuzz_replay_log/seed_$(basename "$f")"
done
# The --plot reader: the golden CSVs, each behind a byte choosing the piece size.
mkdir -p "$dir/corpus/fuzz_plot_csv"
for f in tests/data/plot/*.csv; do
  { printf '\x07'; cat "$f"; } > "$dir/corpus/fuzz_plot_csv/seed_$(basename "$f")"
done
# The OBD-II parsers: a reply of each kind the vocabulary reads.
n=0
for r in '\x41\x0c\x1a\xf8\x0d\x32\x05\x7b' '\x42\x02\x00\x03\x01' '\x43\x02\x01\x43\x01\x96' \
    '\x41\x01\x83\x07\x65\x21' '\x41\x00\xbe\x1f\xa8\x13' '\x7f\x01\x12' \
    '\x49\x02\x011HGCM82633A004352' '\x49\x0a\x01ECM\x00-EngineControl\x00\x00'; do
  n=$((n + 1)); seed fuzz_obd_reply "$n" "$r"
done
# The generic mode: a byte for the framing and one for the request, then answers of each kind.
seed fuzz_obd_lines can11 '\x01\x00\x307E8 10 14 49 02 01 31 44 34\r7E8 21 47 50 30 30 52 35 35\r>'
seed fuzz_obd_lines can29 '\x02\x00\x3018 DA F1 10 03 41 0D 32\r18 DA F1 18 03 7F 01 78\r>'
seed fuzz_obd_lines kline '\x03\x00\x3048 6B 10 43 01 33 02 44 00 00 80\rSEARCHING...\rNO DATA\r>'
mkdir -p "$dir/crashes"

status=0
for t in $targets; do
  budget=$seconds
  [ "$t" = fuzz_session ] && [ "$seconds" -ge 60 ] && budget=$((seconds * 3))
  mkdir -p "$dir/corpus/$t"
  log="$dir/$t.log"
  if ! "$dir/$t" -max_total_time="$budget" -dict=fuzz/adapter.dict -max_len=4096 \
      -artifact_prefix="$dir/crashes/$t-" -print_final_stats=1 "$dir/corpus/$t" >"$log" 2>&1; then
    echo "fuzz: $t FAILED, see $log" >&2
    tail -n 40 "$log" >&2
    status=1
  fi
  runs=$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$' || echo "?")
  echo "fuzz: $t: $runs runs in ${budget}s"
done
exit $status

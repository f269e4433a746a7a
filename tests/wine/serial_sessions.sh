#!/usr/bin/env bash
# Real serial sessions of the Windows kalvex-cli.exe under wine, against the
# Linux simulator on a pseudo-terminal linked as a COM port. Wine's serial
# code needs modem lines that a pty lacks; pty_modem_lines.c (preloaded)
# answers for them as a UART would.
#   tests/wine/serial_sessions.sh LINUX-KALVEX-CLI WINDOWS-KALVEX-CLI.EXE
# WINEPREFIX must be set; the .exe's DLLs, if any, must be on WINEPATH.
# Checks, for ELM327 and Kesta-mini on a K-line and a CAN type: the rows
# equal the Linux monitor's for the same simulator (all but the time);
# --replies N ends with 0 within 2 s of the last row; pulling the adapter
# mid-run gives exit 4; a log is written by a copy of the program in a
# folder named in Cyrillic.
set -euo pipefail
linux_cli=$(realpath "$1")
win_cli=$(realpath "$2")
: "${WINEPREFIX:?WINEPREFIX must be set}"
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; fi
  rm -f "$WINEPREFIX/dosdevices/com7"
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "serial_sessions: $*" >&2
  exit 1
}

gcc -shared -fPIC -O2 -o "$work/pty_modem_lines.so" "$here/pty_modem_lines.c" -ldl
mkdir -p "$WINEPREFIX/dosdevices"
# The server runs without the helper (only the programs' serial code needs
# it) and stays up between the runs.
wineserver -p 10 2>/dev/null

start_sim() {  # start_sim MAKE ECU: a fresh simulator; its pty becomes COM7
  rm -f "$work/sim.out"
  "$linux_cli" simulate --make "$1" --ecu "$2" >"$work/sim.out" 2>"$work/sim.err" &
  sim_pid=$!
  for _ in $(seq 100); do
    grep -q '^/dev/' "$work/sim.out" 2>/dev/null && break
    sleep 0.1
  done
  pty=$(head -n1 "$work/sim.out")
  [ -c "$pty" ] || fail "the simulator gave no pseudo-terminal: $(cat "$work/sim.err")"
  ln -sfn "$pty" "$WINEPREFIX/dosdevices/com7"
}

stop_sim() {
  kill "$sim_pid" 2>/dev/null || true
  wait "$sim_pid" 2>/dev/null || true
  sim_pid=""
}

stamp() {  # each line of stdin, prefixed with the time it arrived
  while IFS= read -r line; do printf '%s %s\n' "$(date +%s.%N)" "$line"; done
}

wine_cli() {
  LD_PRELOAD="$work/pty_modem_lines.so" wine "$win_cli" "$@"
}

replies=8
for c in "elm327 LADA 0" "elm327 LADA 6" "kesta LADA 0" "kesta LADA 6"; do
  read -r adapter make ecu <<<"$c"
  args=(monitor --adapter "$adapter" --make "$make" --ecu "$ecu" --replies "$replies" --pause 20)
  start_sim "$make" "$ecu"
  "$linux_cli" "${args[@]}" --port "$pty" >"$work/linux.csv" 2>/dev/null ||
    fail "$c: the Linux monitor failed"
  stop_sim
  start_sim "$make" "$ecu"
  { wine_cli "${args[@]}" --port COM7 2>"$work/win.err" && echo 0 >"$work/rc" ||
    echo $? >"$work/rc"; } |
    stamp >"$work/win.stamped"
  ended=$(date +%s.%N)
  rc=$(cat "$work/rc")
  stop_sim
  [ "$rc" = 0 ] || fail "$c: kalvex-cli.exe exited $rc: $(cat "$work/win.err")"
  cut -d' ' -f2- "$work/win.stamped" | tr -d '\r' >"$work/win.csv"
  # A row per reply that set values: the link's start sets none, so a
  # session may give fewer rows than replies, but as many as on Linux.
  rows=$(($(wc -l <"$work/linux.csv") - 1))
  [ "$rows" -ge $((replies - 1)) ] || fail "$c: only $rows rows on Linux for $replies replies"
  [ "$(wc -l <"$work/win.csv")" = $((rows + 1)) ] || fail "$c: not $rows rows under wine"
  diff <(cut -d, -f2- "$work/linux.csv") <(cut -d, -f2- "$work/win.csv") >&2 ||
    fail "$c: the rows differ from the Linux monitor's"
  last=$(tail -n1 "$work/win.stamped" | cut -d' ' -f1)
  awk -v a="$last" -v b="$ended" 'BEGIN { exit !(b - a <= 2.0) }' ||
    fail "$c: kalvex-cli.exe took $(awk -v a="$last" -v b="$ended" 'BEGIN { print b - a }') s to exit after its last row"
  echo "serial_sessions: $c: $rows rows equal to Linux's, exit 0 in" \
    "$(awk -v a="$last" -v b="$ended" 'BEGIN { printf "%.2f", b - a }') s"
done

# The adapter pulled out mid-run: the simulator goes away after a few rows.
start_sim LADA 0
{
  wine_cli monitor --port COM7 --adapter elm327 --make LADA --ecu 0 --pause 20 --duration 30 \
    2>"$work/win.err" && echo 0 >"$work/rc" || echo $? >"$work/rc"
} | {
  n=0
  while IFS= read -r _; do
    n=$((n + 1))
    if [ "$n" = 4 ]; then kill "$sim_pid" 2>/dev/null || true; fi
  done
}
stop_sim
rc=$(cat "$work/rc")
[ "$rc" = 4 ] || fail "unplugged mid-run: exit $rc, not 4: $(tr -d '\0' <"$work/win.err")"
echo "serial_sessions: unplugged mid-run: exit 4 ($(grep -a 'kalvex-cli' "$work/win.err" | tr -d '\r\0' | head -n1))"

# A copy of the program in a folder named in Cyrillic writes its log in
# LOG beside it.
folder="$WINEPREFIX/drive_c/Пользователи/Механик/Kalvex"
rm -rf "$WINEPREFIX/drive_c/Пользователи"
mkdir -p "$folder"
cp "$win_cli" "$folder/"
start_sim LADA 0
(unset KALVEX_LOG_DIR
  LD_PRELOAD="$work/pty_modem_lines.so" wine "C:\\Пользователи\\Механик\\Kalvex\\$(basename "$win_cli")" \
    monitor --port COM7 --adapter elm327 --make LADA --ecu 0 --replies 3 --pause 20 --log \
    >/dev/null 2>"$work/win.err") || fail "the log run failed: $(cat "$work/win.err")"
stop_sim
logs=("$folder"/LOG/*.log)
[ -f "${logs[0]}" ] || fail "no log in $folder/LOG: $(cat "$work/win.err")"
grep -q ' --- ' "${logs[0]}" || fail "the log in $folder/LOG holds no reply lines"
echo "serial_sessions: log written in C:\\Пользователи\\Механик\\Kalvex\\LOG ($(grep -c ' --- ' "${logs[0]}") reply lines)"
rm -rf "$WINEPREFIX/drive_c/Пользователи"

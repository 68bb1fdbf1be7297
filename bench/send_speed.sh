#!/usr/bin/env bash
# How fast Korvel sends from its window, against the bare Win32 sender under the same Wine in
# the same session (the ceiling for any Windows program here), in one run:
#   - 1,000 recipients to a receiver that answers every step at once (bench/instant_receiver.py),
#   - 200 recipients into smbd (tools/receiver.sh), which runs its message command per message.
# Korvel.exe is started from a folder of its own and driven as a user drives it (the message
# typed, Ctrl+Enter); its time runs to the last log line.
#
#   bench/send_speed.sh [instant count] [smbd count] [threads]      (1000, 200 and 50)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
instant_count=${1:-1000}
smbd_count=${2:-200}
threads=${3:-50}
build=$root/build/windows
cd "$root"
cmake --preset windows >/dev/null
cmake --build --preset windows --target Korvel bare_sender send_speed >/dev/null

instant=127.83.250.11
smbd=127.83.250.12
state=$(mktemp -d /tmp/korvel-speed-XXXXXX)
rmdir "$state"
work=$(mktemp -d /tmp/korvel-speed-out-XXXXXX)
receiver_pid=""
cleanup() {
  [ -n "$receiver_pid" ] && kill "$receiver_pid" 2>/dev/null && wait "$receiver_pid" 2>/dev/null
  "$root/tools/receiver.sh" stop "$state" || true
  rm -rf "$work"
}
trap cleanup EXIT

python3 "$root/bench/instant_receiver.py" "$instant" >"$work/instant.out" 2>&1 &
receiver_pid=$!
for _ in $(seq 1 100); do
  grep -q ready "$work/instant.out" 2>/dev/null && break
  sleep 0.05
done
"$root/tools/receiver.sh" start "$state" "$smbd"

# One Wine session for all four runs.
"$root/tools/wine-session.sh" --xvfb -- bash -c "
  wine '$build/bench/send_speed.exe' $instant $instant_count $threads >'$work/k1'
  wine '$build/bench/bare_sender.exe' $instant $instant_count $threads >'$work/b1'
  wine '$build/bench/send_speed.exe' $smbd $smbd_count $threads >'$work/k2'
  wine '$build/bench/bare_sender.exe' $smbd $smbd_count $threads >'$work/b2'
  wine '$build/bench/bare_sender.exe' $instant $instant_count $threads select >'$work/s1'
  wine '$build/bench/bare_sender.exe' $instant $instant_count $threads timeout >'$work/t1'
  wine '$build/bench/bare_sender.exe' $instant $instant_count $threads new-threads >'$work/n1'
" || true
rate() { sed -n 's/.* \([0-9.]*\) msg\/s.*/\1/p' "$1" | tr -d '\r'; }
failed() { sed -n 's/.* \([0-9]*\) failed.*/\1/p' "$1" | tr -d '\r'; }
printf '%-34s | %12s | %12s | %6s\n' "job" "Korvel msg/s" "bare msg/s" "ratio"
row() {
  local k b
  k=$(rate "$work/$2")
  b=$(rate "$work/$3")
  printf '%-34s | %12s | %12s | %5.2fx' "$1" "$k" "$b" "$(echo "$k / $b" | bc -l)"
  printf '   (failed: Korvel %s, bare %s)\n' "$(failed "$work/$2")" "$(failed "$work/$3")"
}
row "$instant_count recipients -> instant receiver" k1 b1
row "$smbd_count recipients -> smbd" k2 b2
echo
echo "What a habit costs the bare sender ($instant_count -> instant receiver, msg/s):"
printf '  blocking, %s threads reused %10s\n' "$threads" "$(rate "$work/b1")"
printf '  every step under a timeout   %10s\n' "$(rate "$work/t1")"
printf '  every step waited in select  %10s\n' "$(rate "$work/s1")"
printf '  a new thread per message     %10s\n' "$(rate "$work/n1")"

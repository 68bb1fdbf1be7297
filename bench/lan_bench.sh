#!/usr/bin/env bash
# Runs bench/lan_bench_win.cpp on the test LAN (tools/lan.sh, as root): 100 recipients typed as
# names into the window, with 38 more users on the Samba receiver and 37 on the Windows XP
# messenger; once with no DNS server, once with a DNS server that does not answer. Then a small
# mixed job left in the window, and a screenshot of it in build/lan-log.png.
#
#   bench/lan_bench.sh          (after make windows; the bench is built here)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/windows
cmake --build "$build" --target lan_bench >/dev/null
state=/tmp/korvel-lan-bench
bench=$build/bench/lan_bench.exe
shot=$root/build/lan-log.png
aliases=$(for i in $(seq -w 1 38); do printf 'SMB%s ' "$i"; done)
export KORVEL_LAN_XP_USERS=$(for i in $(seq -w 1 37); do printf 'XP%s ' "$i"; done)
trap '"$root/tools/lan.sh" stop "$state"' EXIT

echo "== no DNS server"
"$root/tools/lan.sh" start "$state" $aliases
"$root/tools/lan.sh" run "$state" "$build/lan/wineprefix" -- bash -c "
  wine '$bench' 38 37
  wine '$bench' --show 12 & sleep 9; import -window root '$shot'; wait"
"$root/tools/lan.sh" stop "$state"

echo "== a DNS server that does not answer (10.150.0.99: nobody there)"
KORVEL_LAN_DNS=10.150.0.99 "$root/tools/lan.sh" start "$state" $aliases
"$root/tools/lan.sh" run "$state" "$build/lan/wineprefix" -- wine "$bench" 38 37
echo "screenshot: $shot"

#!/usr/bin/env bash
# Starts Korvel with a sample address book in a headless Wine session and saves
# screenshots of the window, each menu, the tree's pop-up and the tray menu to
# build/screenshots/. Build first (make windows).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build/screenshots"
work="$root/build/screenshot-run"
rm -rf "$work" && mkdir -p "$out" "$work"
cp "$root/build/windows/Korvel.exe" "$work/"
iconv -f UTF-8 -t CP1251 > "$work/Korvel.dat" <<'BOOK'
0 0 Бухгалтерия
1 1 ivanov (Иванов Иван)
1 1 petrova (Петрова Анна)
1 2 BUH-PC1
1 2 192.168.0.7 (главный бухгалтер)
0 0 Отдел кадров
1 2 KADR-PC
1 1 sidorov
0 0 Сеть
1 3 WORKGROUP
1 3 Вся сеть
BOOK
printf '[Window Position]\r\nTop=20\r\nLeft=20\r\nWidth=520\r\nHeight=520\r\n' > "$work/Korvel.ini"

"$root/tools/wine-session.sh" --xvfb -- bash -c '
  set -u
  out=$1; work=$2
  wine "$work/Korvel.exe" PC7 &
  sleep 3
  shot() { import -window root -crop 560x560+0+0 "$out/$1.png"; }
  reset() { xdotool key Escape; sleep 0.2; xdotool key Escape; sleep 0.2; xdotool mousemove 400 300 click 1; sleep 0.3; }
  # Expand the groups from the bottom up, so the buttons above stay where they are.
  for y in 129 113 97; do xdotool mousemove 35 $y click 1; sleep 0.3; done
  xdotool mousemove 80 97 click 1; sleep 0.6
  shot window
  xdotool mousemove 58 54 click 1; sleep 0.4; xdotool mousemove 80 130; sleep 0.6; shot menu-message; reset
  xdotool mousemove 140 54 click 1; sleep 0.6; shot menu-extra; reset
  xdotool mousemove 220 54 click 1; sleep 0.6; shot menu-help; reset
  xdotool mousemove 80 92 click 3; sleep 0.8; shot popup-tree; reset
  xdotool mousemove 72 74; sleep 1.5; shot tooltip
  # The tray: minimise (the caption button), the tray menu, then a click to restore.
  full() { import -window root "$out/$1.png"; }
  xdotool mousemove 496 33 click 1; sleep 1; full tray-minimised
  xdotool mousemove 1012 757 click 3; sleep 0.8; full tray-menu
  xdotool mousemove 500 300 click 1; sleep 0.5
  xdotool mousemove 1012 757 click 1; sleep 1; full tray-restored
  wine taskkill /im Korvel.exe >/dev/null 2>&1 || true
  wait
' _ "$out" "$work"
echo "Screenshots are in $out"

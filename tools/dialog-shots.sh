#!/usr/bin/env bash
# Screenshots of the main window and each of its dialogs at a given scale, to look at:
#   tools/dialog-shots.sh [DPI...]      (96 144 192 by default; build first: make windows)
# Saved to build/dialog-shots/<dpi>-<what>.png. A tiny helper posts each command to the
# window, as its menu would.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build/dialog-shots"
work="$root/build/dialog-shots-run"
mkdir -p "$out" "$work"
cat > "$work/post.c" <<'C'
#include <windows.h>
#include <stdlib.h>
int main(int argc, char** argv) {
  HWND w = FindWindowW(L"TKorvelForm", NULL);
  if (!w || argc < 2) return 1;
  PostMessageW(w, WM_COMMAND, (WPARAM)atoi(argv[1]), 0);
  return 0;
}
C
x86_64-w64-mingw32-gcc-posix -O2 -static -o "$work/post.exe" "$work/post.c"
cp "$root/build/windows/Korvel.exe" "$work/"
iconv -f UTF-8 -t CP1251 > "$work/Korvel.dat" <<'BOOK'
0 0 Бухгалтерия
1 1 ivanov (Иванов Иван)
1 2 BUH-PC1
0 0 Сеть
1 3 WORKGROUP
BOOK
[ $# -gt 0 ] || set -- 96 144 192
for dpi in "$@"; do
  printf '[Window Position]\r\nTop=20\r\nLeft=20\r\nWidth=520\r\nHeight=520\r\n' > "$work/Korvel.ini"
  KORVEL_DPI=$dpi KORVEL_SCREEN=2048x1536 "$root/tools/wine-session.sh" --xvfb -- bash -c '
    set -u
    out=$1; work=$2; dpi=$3
    size=$((900 * dpi / 96))
    shot() { import -window root -crop ${size}x${size}+0+0 "$out/$dpi-$1.png"; }
    wine "$work/Korvel.exe" PC7 &
    sleep 4
    shot window
    # Repeat dialog, options, about box, typed network name, server import.
    for pair in 40017:repeat 40008:options 40003:about 40014:network-name 40016:server-import; do
      wine "$work/post.exe" "${pair%%:*}"
      sleep 1.5
      shot "${pair#*:}"
      xdotool key Escape
      sleep 0.7
    done
    wine taskkill /im Korvel.exe >/dev/null 2>&1 || true
    wait
  ' _ "$out" "$work" "$dpi"
done
echo "Screenshots are in $out"

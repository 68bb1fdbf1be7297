#!/usr/bin/env bash
# Runs one command inside a Wine session of this project: a private prefix under
# build/, a virtual X server when asked for one (or when there is no DISPLAY), and a
# persistent wineserver for the length of the command, so that every program it starts
# comes up in a few milliseconds.
#
#   tools/wine-session.sh [--xvfb] [--] command args...
#
# The prefix is build/wineprefix (override with KORVEL_WINEPREFIX); the virtual screen is
# 1024x768 (override with KORVEL_SCREEN, e.g. 2048x1536 for a window at 200 %), at 96 DPI
# (override with KORVEL_DPI: 144 is 150 %, 192 is 200 %). Exit status is the command's own.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
want_xvfb=0
while [ $# -gt 0 ]; do
  case "$1" in
    --xvfb) want_xvfb=1; shift ;;
    --) shift; break ;;
    *) break ;;
  esac
done
[ -n "${DISPLAY:-}" ] || want_xvfb=1

export WINEPREFIX=${KORVEL_WINEPREFIX:-$root/build/wineprefix}
screen=${KORVEL_SCREEN:-1024x768}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="

xvfb_pid=""
cleanup() {
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT INT TERM

# The display is fixed per wineserver: end any server of this prefix left from before.
wineserver -k >/dev/null 2>&1
wineserver -w >/dev/null 2>&1

if [ "$want_xvfb" = 1 ]; then
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 "${screen}x24" -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.05
    done
    if [ -e "/tmp/.X11-unix/X$n" ]; then
      export DISPLAY=":$n"
      break
    fi
    xvfb_pid=""
  done
  [ -n "$xvfb_pid" ] || { echo "wine-session: could not start Xvfb" >&2; exit 1; }
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine-session: creating the Wine prefix $WINEPREFIX (once)" >&2
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wineserver -w
  # A crash ends the program at once instead of starting the debugger.
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
    /v Debugger /t REG_SZ /d "" /f >/dev/null 2>&1
  wineserver -w
fi

# Headless sessions run inside a Wine virtual desktop: without a window manager, Wine
# waits two seconds for every window it hides; in a virtual desktop it does not, and the
# desktop has a taskbar with a notification area. On a real display, windows are the
# display's own.
# Wine's own fonts (Marlett for the caption buttons, Tahoma, MS Sans Serif with Cyrillic)
# come in Debian's fonts-wine package, which this Wine does not look in: put them in the
# prefix.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ -d /usr/share/wine/fonts ] && [ ! -f "$fonts/marlett.ttf" ]; then
  mkdir -p "$fonts"
  cp /usr/share/wine/fonts/* "$fonts/"
fi

wineserver -p
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "${KORVEL_DPI:-96}" /f \
  >/dev/null 2>&1
if [ "$want_xvfb" = 1 ]; then
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Korvel /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Korvel /d "$screen" /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v EnableShell /t REG_DWORD /d 1 /f >/dev/null 2>&1
else
  wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1
fi
wineserver -k >/dev/null 2>&1
wineserver -w >/dev/null 2>&1
wineserver -p
# Start Wine's own background processes now, with no terminal or pipe of ours: started
# by the first test instead, they would hold its output open and stall whoever reads it.
wine cmd.exe /c exit </dev/null >/dev/null 2>&1
"$@"
status=$?
exit $status

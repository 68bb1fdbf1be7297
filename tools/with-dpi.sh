#!/usr/bin/env bash
# Runs a command with the Wine prefix's screens scaled to a DPI (96 = 100 %, 144 = 150 %,
# 192 = 200 %), then puts 96 back. Use it inside tools/wine-session.sh: the DPI is read
# when the wineserver starts, so the session's server is restarted around the command.
#
#   tools/with-dpi.sh 144 wine build/windows/Korvel.exe
set -uo pipefail
[ $# -ge 2 ] || { echo "usage: with-dpi.sh DPI command args..." >&2; exit 2; }
dpi=$1
shift

set_dpi() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  wineserver -p </dev/null >/dev/null 2>&1
  # Wine's background processes start now, with no pipe of the command's to hold open.
  wine cmd.exe /c exit </dev/null >/dev/null 2>&1
}

set_dpi "$dpi"
KORVEL_TEST_DPI=$dpi "$@"
status=$?
set_dpi 96
exit $status

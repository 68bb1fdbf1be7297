#!/usr/bin/env bash
# Starts build/windows/Korvel.exe under Wine. On a display it runs until you close it.
# Without one it starts on a virtual X server, saves a screenshot, and closes it again.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe="$root/build/windows/Korvel.exe"
[ -f "$exe" ] || { echo "run: $exe is missing; run 'make windows' first" >&2; exit 1; }

if [ -n "${DISPLAY:-}" ]; then
  exec "$root/tools/wine-session.sh" -- wine "$exe" "$@"
fi

shot="$root/build/screenshot.png"
"$root/tools/wine-session.sh" --xvfb -- bash -c '
  exe=$1; shot=$2; shift 2
  wine "$exe" "$@" &
  sleep 3
  import -window root "$shot"
  wine taskkill /im Korvel.exe >/dev/null 2>&1 || true
  wait
' _ "$exe" "$shot" "$@"
echo "There is no display here: Korvel ran on a virtual one. Its screenshot is $shot"

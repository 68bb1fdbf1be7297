#!/usr/bin/env bash
# Makes what people take home from a built Korvel.exe:
#   <out>/Korvel-<version>.zip        the program with its documents, to unpack anywhere
#   <out>/Korvel-<version>-setup.exe  the installer (NSIS, Russian, per user)
#
#   tools/dist.sh                      from the windows-release build into build/dist
#   tools/dist.sh --installer-only --program EXE --version-header H --out DIR [--strip]
#
# The version is the one the build wrote into its res/version.h, which CMake makes from
# project() in CMakeLists.txt. The zip is the same bytes for the same commit: its files
# carry the commit's time and stand in a fixed order.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program="$root/build/windows-release/Korvel.exe"
header="$root/build/windows-release/generated/res/version.h"
out="$root/build/dist"
zip_too=1
strip=0
while [ $# -gt 0 ]; do
  case "$1" in
    --program) program=$2; shift 2 ;;
    --version-header) header=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --installer-only) zip_too=0; shift ;;
    --strip) strip=1; shift ;;
    *) echo "dist: unknown argument $1" >&2; exit 2 ;;
  esac
done
out=$(realpath -m "$out")
program=$(realpath -m "$program")
[ -f "$program" ] || { echo "dist: $program is missing (make release builds it)" >&2; exit 1; }
version=$(sed -n 's/^#define KORVEL_FILE_VERSION_TEXT "\(.*\)"$/\1/p' "$header")
[ -n "$version" ] || { echo "dist: no version in $header" >&2; exit 1; }

stage="$out/stage/Korvel"
rm -rf "$out/stage" && mkdir -p "$stage/HELP"
if [ "$strip" = 1 ]; then
  x86_64-w64-mingw32-strip -o "$stage/Korvel.exe" "$program"
else
  cp "$program" "$stage/Korvel.exe"
fi
cp "$root/HELP/help.htm" "$root/HELP/faq.htm" "$stage/HELP/"
cp "$root/history.txt" "$stage/"

if [ "$zip_too" = 1 ]; then
  when=$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 946684800)
  find "$out/stage" -exec touch -h -d "@$when" {} +
  zipfile="$out/Korvel-$version.zip"
  rm -f "$zipfile"
  (cd "$out/stage" && find Korvel -type f | LC_ALL=C sort | TZ=UTC zip -q -X -9 -@ "$zipfile")
  echo "dist: $zipfile"
fi

setup="$out/Korvel-$version-setup.exe"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DPROGRAM="$stage/Korvel.exe" \
  -DSOURCE="$root" -DOUTFILE="$setup" "$root/installer/korvel.nsi"
echo "dist: $setup"
rm -rf "$out/stage"

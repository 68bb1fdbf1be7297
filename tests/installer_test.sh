#!/usr/bin/env bash
# Builds an installer around this build's Korvel.exe (stripped, as people get it) and
# runs the installer test with it, under Wine, in the session the test run is in.
#   tests/installer_test.sh BUILD_FOLDER
set -euo pipefail
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
out="$build/installer-test"
"$root/tools/dist.sh" --installer-only --strip --program "$build/Korvel.exe" \
  --version-header "$build/generated/res/version.h" --out "$out" >/dev/null
setup=$(ls "$out"/Korvel-*-setup.exe)
KORVEL_SETUP=$(winepath -w "$setup") exec wine "$build/tests/korvel_win_tests.exe" \
  --gtest_filter='Installer.*'

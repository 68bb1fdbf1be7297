#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when they are missing,
# and generates the ru_RU.UTF-8 locale that Wine needs for its 1251 code page.
# Samba is here as the tests' messenger receiver (tools/receiver.sh) and the test LAN's
# computer (tools/lan.sh, with iproute2 for its namespaces), and smbclient as the reference
# client of the benchmark; neither is meant to run as the system's service.
set -euo pipefail

packages=(
  cmake ninja-build make g++ clang clang-format libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine64 wine fonts-wine xvfb xauth xdotool imagemagick x11-utils locales googletest python3
  samba smbclient nsis zip iproute2
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
  # Installing samba starts its services where systemd runs; they would hold port 139 on
  # every address, where the test receiver needs it on one loopback address.
  if [[ " ${missing[*]} " == *" samba "* ]] && command -v systemctl >/dev/null &&
    systemctl is-active --quiet smbd 2>/dev/null; then
    echo "bootstrap: stopping and disabling the smbd/nmbd services the samba package started"
    $sudo systemctl disable --now smbd nmbd >/dev/null 2>&1 || true
  fi
fi

if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
  echo "bootstrap: generating the ru_RU.UTF-8 locale"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo sed -i 's/^# *ru_RU.UTF-8/ru_RU.UTF-8/' /etc/locale.gen
  grep -q '^ru_RU.UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi

#!/usr/bin/env bash
# Installs what building, running and testing nadeshiro needs on Debian 12 (as root).
set -euo pipefail

packages=(
  cmake ninja-build
  g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  googletest
  wine wine64 fonts-wine
  xvfb xauth x11-utils imagemagick xdotool
  fonts-ipafont-gothic fonts-ipafont-mincho
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

#!/usr/bin/env bash
# Installs what building, running, testing and packaging nadeshiro needs on Debian 12 (as
# root): both MinGW-w64 compilers (x86 and x64), 64-bit and 32-bit Wine, Xvfb and the tools
# that drive windows, Japanese fonts (IPA, the narrow face the windows are laid out for, and
# Noto Sans CJK, a wide one the caption tests also measure), and the Japanese UTF-8 locale
# that Wine needs for code
# page 932 and for file names in Japanese.
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
export DEBIAN_FRONTEND=noninteractive

packages=(
  cmake ninja-build
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  googletest
  wine wine64 wine32:i386 fonts-wine
  locales
  xvfb xauth x11-utils imagemagick xdotool
  fonts-ipafont-gothic fonts-ipafont-mincho fonts-noto-cjk
  zip unzip
)

# 32-bit Wine comes from Debian's i386 architecture.
updated=
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "setup: adding the i386 architecture for 32-bit Wine"
  $SUDO dpkg --add-architecture i386
  $SUDO apt-get update -qq
  updated=yes
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  [ -n "$updated" ] || $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The Japanese UTF-8 locale: Wine takes code page 932 from it, as a Japanese Windows has.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'; then
  echo "setup: generating the ja_JP.UTF-8 locale"
  if [ -f /etc/locale.gen ] && grep -q '^# *ja_JP.UTF-8 UTF-8' /etc/locale.gen; then
    $SUDO sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  elif ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen >/dev/null 2>&1 || $SUDO localedef -i ja_JP -f UTF-8 ja_JP.UTF-8 || true
fi

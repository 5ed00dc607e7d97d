#!/usr/bin/env bash
# Installs what building, running, testing and packaging nadeshiro needs on Debian 12 (as
# root): both MinGW-w64 compilers (x86 and x64), 64-bit and 32-bit Wine, Xvfb and the tools
# that drive windows, Japanese fonts (IPA, the narrow face the windows are laid out for, and
# Noto Sans CJK, a wide one the caption tests also measure), and the Japanese UTF-8 locale
# that Wine needs for code page 932 and for file names in Japanese (and the English one, code
# page 1252).
# With --wine10 it also makes, once, a Debian 13 system that holds Wine 10 (64-bit and 32-bit)
# with the same fonts and locales, in /var/cache/nadeshiro/trixie (NADESHIRO_WINE10_ROOT), from
# Debian's own archive (NADESHIRO_DEBIAN_MIRROR, default http://deb.debian.org/debian).
set -euo pipefail
wine10=
[ "${1:-}" = --wine10 ] && wine10=yes

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
[ -z "$wine10" ] || packages+=(debootstrap)

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

# The UTF-8 locales: Japanese, from which Wine takes code page 932 as a Japanese Windows has
# it, and English (code page 1252), where the tests prove the tool's files are 932 all the same.
# $1 is the system's root ("" for this one).
generate_locales() {
  local r=$1 missing=() l
  for l in ja_JP en_US; do
    if [ -z "$r" ]; then
      locale -a 2>/dev/null | grep -qix "$l\.utf-\?8" || missing+=("$l")
    else
      chroot "$r" locale -a 2>/dev/null | grep -qix "$l\.utf-\?8" || missing+=("$l")
    fi
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "setup: generating the ${missing[*]/%/.UTF-8} locales${r:+ in $r}"
  for l in "${missing[@]}"; do
    if [ -f "$r/etc/locale.gen" ] && grep -q "^# *$l.UTF-8 UTF-8" "$r/etc/locale.gen"; then
      $SUDO sed -i "s/^# *\($l.UTF-8 UTF-8\)/\1/" "$r/etc/locale.gen"
    elif ! grep -q "^$l.UTF-8 UTF-8" "$r/etc/locale.gen" 2>/dev/null; then
      echo "$l.UTF-8 UTF-8" | $SUDO tee -a "$r/etc/locale.gen" >/dev/null
    fi
  done
  if [ -z "$r" ]; then
    $SUDO locale-gen >/dev/null 2>&1 || for l in "${missing[@]}"; do $SUDO localedef -i "$l" -f UTF-8 "$l.UTF-8" || true; done
  else
    chroot "$r" locale-gen >/dev/null
  fi
}
generate_locales ""

[ -n "$wine10" ] || exit 0

# Wine 10 as Debian 13 ships it, in a Debian 13 system of its own: made once (about 2.5 GB,
# a few minutes), then kept. scripts/wine.sh runs its Wine with chroot. A system whose making
# did not finish is made anew; two runs at once make it once.
wine10_root=${NADESHIRO_WINE10_ROOT:-/var/cache/nadeshiro/trixie}
mirror=${NADESHIRO_DEBIAN_MIRROR:-http://deb.debian.org/debian}
x_libraries=(libxcomposite1 libxcursor1 libxfixes3 libxi6 libxinerama1 libxrandr2 libxrender1 libxxf86vm1)
wine10_packages=(wine wine64 wine32:i386 libwine libwine:i386 fonts-wine locales fonts-ipafont-gothic fonts-noto-cjk
  "${x_libraries[@]}" "${x_libraries[@]/%/:i386}")
stamp="trixie ${wine10_packages[*]}"
if [ "$(cat "$wine10_root/.nadeshiro-made" 2>/dev/null)" = "$stamp" ]; then exit 0; fi
if [ "$(id -u)" -ne 0 ]; then
  echo "setup: the Wine 10 system ($wine10_root) is made by root: run scripts/setup.sh --wine10 as root" >&2
  exit 1
fi
mkdir -p "$(dirname "$wine10_root")"
exec 9>"$wine10_root.lock"
flock 9
if [ "$(cat "$wine10_root/.nadeshiro-made" 2>/dev/null)" = "$stamp" ]; then exit 0; fi
started=$SECONDS
new=$wine10_root.new
rm -rf "$new"
echo "setup: making a Debian 13 system with Wine 10 in $wine10_root (once)"
debootstrap --variant=minbase --arch=amd64 trixie "$new" "$mirror" >"$new.log" 2>&1 ||
  { tail -n 20 "$new.log" >&2; echo "setup: debootstrap of Debian 13 failed (log: $new.log)" >&2; exit 1; }
# In the new system, with its /proc, /dev and /sys, and no services started.
in_new() {
  unshare --mount --propagation private bash -c 'r=$1; shift
    mount -t proc proc "$r/proc" && mount --rbind /dev "$r/dev" && mount --rbind /sys "$r/sys" &&
    exec chroot "$r" env DEBIAN_FRONTEND=noninteractive LANG=C.UTF-8 "$@"' bash "$new" "$@"
}
printf '#!/bin/sh\nexit 101\n' >"$new/usr/sbin/policy-rc.d" && chmod +x "$new/usr/sbin/policy-rc.d"
{ in_new dpkg --add-architecture i386 && in_new apt-get update -qq &&
  in_new apt-get install -y -qq --no-install-recommends "${wine10_packages[@]}" && in_new apt-get clean; } >>"$new.log" 2>&1 ||
  { tail -n 20 "$new.log" >&2; echo "setup: installing Wine 10 in Debian 13 failed (log: $new.log)" >&2; exit 1; }
generate_locales "$new"
rm -rf "$wine10_root" "$new.log"
printf '%s\n' "$stamp" >"$new/.nadeshiro-made"
mv "$new" "$wine10_root"
echo "setup: Wine $(chroot "$wine10_root" dpkg-query -W -f='${Version}' wine) ready in $wine10_root, $((SECONDS - started)) s"

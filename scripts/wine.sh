#!/usr/bin/env bash
# Runs a Wine program with the Wine under test: the host's own, or, where NADESHIRO_WINE_ROOT
# names a system root that holds another Wine (scripts/setup.sh --wine10 makes one with
# Wine 10), that Wine inside that root. The links in scripts/wine-bin (wine, wineserver,
# wineboot) lead here, so that every script that puts that folder first on its PATH, and
# CTest, which uses this file as the emulator of the test programs, runs the same Wine.
#   wine.sh PROGRAM [ARGS...]         as wine
#   wine-bin/wineserver ARGS...       as wineserver (and so on, by the name it is called by)
# Inside the root every folder the programs use is where it is on the host: /proc, /sys,
# /dev, /tmp (the X server's socket, Wine's server sockets), the source tree, the builds,
# the Wine prefix, the current folder and those listed in NADESHIRO_WINE_BINDS (separated
# by ':'). Only root can enter another root.
set -eu
here=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
tool=$(basename "$0")
[ "$tool" = wine.sh ] && tool=wine
# The links' folder leaves the PATH, so the programs found are Wine's own.
PATH=:$PATH:
PATH=${PATH//:$here\/wine-bin:/:}
PATH=${PATH#:}
PATH=${PATH%:}
export PATH

wine_root=${NADESHIRO_WINE_ROOT:-}
if [ -z "$wine_root" ]; then exec "$tool" "$@"; fi

if [ ! -x "$wine_root/usr/bin/$tool" ]; then
  echo "wine.sh: $wine_root holds no $tool; run scripts/setup.sh --wine10 as root to make it" >&2
  exit 1
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "wine.sh: only root can run the Wine in $wine_root (NADESHIRO_WINE_ROOT)" >&2
  exit 1
fi

# The folders to show inside the root, each once (a folder inside one already shown is there).
folders=("$(dirname "$here")" "$PWD")
[ -n "${NADESHIRO_BUILD:-}" ] && folders+=("$NADESHIRO_BUILD")
[ -n "${WINEPREFIX:-}" ] && folders+=("$(dirname "$WINEPREFIX")")
IFS=: read -r -a extra <<<"${NADESHIRO_WINE_BINDS:-}"
folders+=("${extra[@]}")
mounts=(/proc /sys /dev /tmp)
for f in $(printf '%s\n' "${folders[@]}" | grep '^/' | sort -u); do
  [ -d "$f" ] || continue
  covered=
  for m in "${mounts[@]}"; do
    case "$f/" in "$m"/*) covered=yes ;; esac
  done
  [ -n "$covered" ] || mounts+=("$f")
done

# A mount namespace of this program's own: the mounts go with it, and mounts made on the
# host later (the tests' small disks) still reach it.
script='r=$1; shift; n=$1; shift
  for ((i = 0; i < n; i++)); do mkdir -p "$r$1" && mount --rbind "$1" "$r$1"; shift; done
  tool=$1; shift; cwd=$1; shift
  exec chroot "$r" /bin/sh -c '\''cd "$1" && shift && exec "$@"'\'' sh "$cwd" "/usr/bin/$tool" "$@"'
exec unshare --mount --propagation slave bash -c "$script" bash "$wine_root" "${#mounts[@]}" "${mounts[@]}" "$tool" "$PWD" "$@"

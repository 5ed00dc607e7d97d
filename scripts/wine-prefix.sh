#!/usr/bin/env bash
# Boots a Wine prefix for the tests and keeps a persistent wineserver running, so that Wine's
# services are started here, with their standard streams closed, and not by the first test
# (whose output pipe they would then hold open for ever), nor by CTest asking a test program
# for its cases.
# Usage: wine-prefix.sh [PREFIX]   (default: $WINEPREFIX; WINEARCH: win64, the default, or win32)
# The Wine is the one scripts/wine.sh runs: the host's, or the one in NADESHIRO_WINE_ROOT.
set -eu
prefix=${1:-${WINEPREFIX:-}}
if [ -z "$prefix" ]; then
  echo "wine-prefix: no prefix: name one, or set WINEPREFIX (scripts/common.sh does)" >&2
  exit 2
fi
PATH=$(cd "$(dirname "$0")" && pwd)/wine-bin:$PATH
wine_root=${NADESHIRO_WINE_ROOT:-}
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=${WINEARCH:-win64}

# A prefix is made for one architecture and for the Wine it was made with: a 64-bit prefix
# booted before 32-bit Wine was installed no longer starts once it is. Such a prefix, one of
# the other architecture, or one whose first boot did not finish, is made anew.
wine32=absent
[ -x "$wine_root/usr/lib/wine/wine" ] && wine32=present
stamp="$WINEARCH wine32-$wine32 $(wine --version 2>/dev/null || echo unknown)"
if [ -e "$prefix" ] && [ "$(cat "$prefix/.booted" 2>/dev/null)" != "$stamp" ]; then
  wineserver -k </dev/null >/dev/null 2>&1 || true
  rm -rf "$prefix"
fi
# A new prefix gets its c: and z: links from Wine only where it makes dosdevices itself; as
# the tests' drives are made first, so are those two.
if [ ! -d "$prefix/dosdevices" ]; then
  mkdir -p "$prefix/dosdevices" "$prefix/drive_c"
  ln -sfn ../drive_c "$prefix/dosdevices/c:"
  ln -sfn / "$prefix/dosdevices/z:"
fi

# The tests' drive letters, made before the Wine server starts (it reads them only then):
# - q:, whose target is gone: the drive list's "not ready" case;
# - r:, the tests' own drive: each test program works in a folder of its own there (its current
#   folder), so that what a faulty build writes at the root of the current drive lands there,
#   not on the machine's root through z:. It is emptied here, before every run of the tests.
ln -sfn /nonexistent-nadeshiro-drive "$prefix/dosdevices/q:"
mkdir -p "$prefix/drive_r"
chmod -R u+w "$prefix/drive_r" 2>/dev/null || true
find "$prefix/drive_r" -mindepth 1 -delete
ln -sfn ../drive_r "$prefix/dosdevices/r:"

boot() {
  wineserver -p </dev/null >/dev/null 2>&1 || true
  wineboot "$@" </dev/null >/dev/null 2>&1
}
if [ ! -f "$prefix/.booted" ]; then
  boot -i
  printf '%s\n' "$stamp" >"$prefix/.booted"
else
  boot
fi
# A prefix that does not start a program is made anew, once.
if ! wine cmd.exe /c exit </dev/null >/dev/null 2>&1; then
  echo "wine-prefix: $prefix does not start programs; making it anew" >&2
  wineserver -k </dev/null >/dev/null 2>&1 || true
  rm -rf "$prefix"
  exec bash "$0" "$prefix"
fi

# Wine's Marlett font, which draws the frame's buttons, where the prefix lacks it.
marlett=$wine_root/usr/share/wine/fonts/marlett.ttf
if [ -f "$marlett" ] && [ -d "$prefix/drive_c/windows/Fonts" ] &&
   [ ! -e "$prefix/drive_c/windows/Fonts/marlett.ttf" ]; then
  cp "$marlett" "$prefix/drive_c/windows/Fonts/"
fi
# Once per prefix:
# - Japanese glyphs for Wine's own interface font (menus, captions, message boxes), as the
#   players' readme asks: from Wine 9 on that font is Tahoma, which takes its Japanese from
#   "MS UI Gothic", a Windows font that only a Japanese face installed under that name stands
#   in for (here IPA P Gothic). Wine 8 finds a Japanese face by itself in the Japanese locale;
# - windows are not left to a window manager (there is none under Xvfb): Wine draws their
#   frames itself and does not wait for one when a window closes.
if [ ! -f "$prefix/.configured-2" ]; then
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d 'IPAPGothic' /f </dev/null >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f </dev/null >/dev/null 2>&1
  touch "$prefix/.configured-2"
fi

# A game folder the player cannot write to, under the program files folder: the read-only
# file system that scripts/test.sh mounts and names in NADESHIRO_READONLY_GAME (as root,
# every folder of a writable one can be written).
for programs in "$prefix/drive_c/Program Files (x86)" "$prefix/drive_c/Program Files"; do
  [ -d "$programs" ] || continue
  link="$programs/nadeshiro read-only game"
  if [ -L "$link" ]; then rm -f "$link"; fi
  if [ -n "${NADESHIRO_READONLY_GAME:-}" ] && [ -d "$NADESHIRO_READONLY_GAME" ] && [ ! -e "$link" ]; then
    ln -s "$NADESHIRO_READONLY_GAME" "$link"
  fi
  break
done

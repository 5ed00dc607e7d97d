#!/usr/bin/env bash
# Boots the build tree's own Wine prefix and keeps a persistent wineserver running, so that
# Wine's services are started here, with their standard streams closed, and not by the first
# test (whose output pipe they would then hold open for ever).
# Usage: wine-prefix.sh PREFIX
set -eu
prefix=$1
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$prefix"
wineserver -p </dev/null >/dev/null 2>&1 || true
if [ ! -f "$prefix/.booted" ]; then
  wineboot -i </dev/null >/dev/null 2>&1
  touch "$prefix/.booted"
else
  wineboot </dev/null >/dev/null 2>&1
fi
# Wine's Marlett font, which draws the frame's buttons, where the prefix lacks it.
if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ -d "$prefix/drive_c/windows/Fonts" ] &&
   [ ! -e "$prefix/drive_c/windows/Fonts/marlett.ttf" ]; then
  cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/"
fi
# A drive letter whose target is gone: the drive list's "not ready" case.
ln -sfn /nonexistent-nadeshiro-drive "$prefix/dosdevices/q:"
# A drive of its own whose root the tests may write to.
mkdir -p "$prefix/drive_r"
ln -sfn ../drive_r "$prefix/dosdevices/r:"
# Once per prefix:
# - Japanese glyphs for Wine's own interface fonts (menus, captions): they are linked to the
#   IPA Gothic font, as Windows links its interface fonts to its Japanese ones;
# - windows are not left to a window manager (there is none under Xvfb): Wine draws their
#   frames itself and does not wait for one when a window closes.
if [ ! -f "$prefix/.configured" ]; then
  for face in "Tahoma" "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" "Segoe UI"; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d 'ipagp.ttf,IPAPGothic\0ipag.ttf,IPAGothic' /f </dev/null >/dev/null 2>&1
  done
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f </dev/null >/dev/null 2>&1
  touch "$prefix/.configured"
fi

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
# A drive letter whose target is gone: the drive list's "not ready" case.
ln -sfn /nonexistent-nadeshiro-drive "$prefix/dosdevices/q:"
# A drive of its own whose root the tests may write to.
mkdir -p "$prefix/drive_r"
ln -sfn ../drive_r "$prefix/dosdevices/r:"

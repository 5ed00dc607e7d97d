#!/usr/bin/env bash
# Builds nadeshiro and starts it under Wine in a demo game folder, C:\Games\ONE in the build's
# Wine prefix (build/x64/wineprefix, or build/x86/wineprefix with NADESHIRO_ARCH=x86), that
# holds a few sample slot files and a stand-in "one.exe". Without a display it starts the tool
# under Xvfb all the same, writes a screenshot of it and says where. With NADESHIRO_WINE=10 it
# runs under Wine 10 (as root; the first time scripts/setup.sh --wine10 makes the Debian 13
# system that holds it).
set -euo pipefail
source "$(dirname "$0")/common.sh"

prepare_demo

# Wine's desktop process belongs to the display it was started with: start afresh on ours.
wineserver -k 2>/dev/null || true
cd "$demo"
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  bash "$root/scripts/wine-prefix.sh" "$WINEPREFIX"
  echo "starting nadeshiro in $demo"
  exec wine nadeshiro.exe
fi

trap 'wineserver -k 2>/dev/null || true; stop_display' EXIT
ensure_display
bash "$root/scripts/wine-prefix.sh" "$WINEPREFIX"
echo "no display: starting nadeshiro under Xvfb ($DISPLAY) in $demo"
wine nadeshiro.exe </dev/null >/dev/null 2>&1 &
for _ in $(seq 1 100); do
  [ -n "$(xdotool search --name '^なでしろ$' 2>/dev/null)" ] && break
  sleep 0.2
done
sleep 2
shot=$build/screenshot.png
import -window root -crop 800x480+0+0 +repage "$shot"
echo "screenshot of the running tool: $shot"

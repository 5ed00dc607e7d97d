#!/usr/bin/env bash
# Starts the tool under Xvfb and Wine in the demo game folder and writes a screenshot of the
# main window as it opens (build/x64/screenshots/start.png, the README's picture) and on each
# of its three tabs, tab1.png to tab3.png (in build/x64/screenshots-wine10/ under Wine 10, with
# NADESHIRO_WINE=10).
set -euo pipefail
source "$(dirname "$0")/common.sh"

prepare_demo
shots=$build/screenshots$wine_suffix
mkdir -p "$shots"
unset DISPLAY
wineserver -k 2>/dev/null || true
trap 'wineserver -k 2>/dev/null || true; stop_display' EXIT
ensure_display
bash "$root/scripts/wine-prefix.sh" "$WINEPREFIX"
cd "$demo"
wine nadeshiro.exe </dev/null >/dev/null 2>&1 &
wid=
for _ in $(seq 1 100); do
  wid=$(xdotool search --name '^なでしろ$' 2>/dev/null | head -n 1) && [ -n "$wid" ] && break
  sleep 0.2
done
[ -n "$wid" ] || { echo "the main window did not appear" >&2; exit 1; }
sleep 2
eval "$(xdotool getwindowgeometry --shell "$wid")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shots/start.png"  # as it opens
# The tab captions' places, from the window's top-left corner (Wine draws the frame).
tab_y=114
tab_x=(208 305 390)
for i in 0 1 2; do
  xdotool mousemove --window "$wid" "${tab_x[$i]}" "$tab_y" click 1
  sleep 1
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shots/tab$((i + 1)).png"
done
echo "screenshots of the window as it opens and of the three tabs ($(wine --version)): $shots/start.png tab1.png tab2.png tab3.png"

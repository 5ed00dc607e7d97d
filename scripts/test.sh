#!/usr/bin/env bash
# Builds nadeshiro and its tests and runs every test under Wine (with Xvfb for the windows).
set -euo pipefail
source "$(dirname "$0")/common.sh"

bash "$root/scripts/setup.sh"
configure_and_build

fulldisk=$build/fulldisk
mounted=
cleanup() {
  [ -n "$mounted" ] && umount "$fulldisk" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  stop_display
}
trap cleanup EXIT

# A real full disk for the fault tests: a 256 KiB tmpfs, where mounting is allowed.
mkdir -p "$fulldisk"
if mountpoint -q "$fulldisk" || mount -t tmpfs -o size=256k nadeshiro-full "$fulldisk" 2>/dev/null; then
  mounted=yes
  export NADESHIRO_FULLDISK=$fulldisk
else
  echo "note: cannot mount a tmpfs here; the full-disk tests will be skipped"
fi

# Wine's desktop process belongs to the display it was started with: start afresh on ours.
wineserver -k 2>/dev/null || true
ensure_display
ctest --test-dir "$build" --output-on-failure --timeout 300 -j 2

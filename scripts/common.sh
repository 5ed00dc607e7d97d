# Shared by the run, test and package scripts: the build of one architecture, its Wine
# prefix, the Wine, the Japanese locale and a display. Sourced, not run.
#   NADESHIRO_ARCH   x64 (default) or x86
#   NADESHIRO_BUILD  the folder that holds the builds (default: build/ in the source tree)
#   NADESHIRO_WINE   10: Wine 10 from the Debian 13 system scripts/setup.sh --wine10 makes,
#                    instead of the host's Wine 8 (needs root)
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
builds=${NADESHIRO_BUILD:-$root/build}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
# Every wine, wineserver and wineboot of the scripts is scripts/wine.sh, which runs the Wine
# under test (as CTest does for the test programs).
export PATH=$root/scripts/wine-bin:$PATH
# The Debian 13 system that holds Wine 10, made once and kept (outside every source tree).
wine10_root=${NADESHIRO_WINE10_ROOT:-/var/cache/nadeshiro/trixie}

# Selects the Wine under test: 8 (the host's) or 10 (in $wine10_root). Each has prefixes of its own.
select_wine() {
  case "$1" in
    8|"") unset NADESHIRO_WINE_ROOT; wine_suffix= ;;
    10) export NADESHIRO_WINE_ROOT=$wine10_root; wine_suffix=-wine10 ;;
    *) echo "NADESHIRO_WINE must be 8 or 10, not '$1'" >&2; exit 2 ;;
  esac
  [ -z "${build:-}" ] || export WINEPREFIX=$build/wineprefix$wine_suffix
}

# Picks the build of one architecture: its toolchain, its build folder and its Wine prefix
# (64-bit Wine for x64, a 32-bit prefix for x86).
select_arch() {
  arch=$1
  case "$arch" in
    x64) toolchain=$root/cmake/mingw-w64-x86_64.cmake; export WINEARCH=win64 ;;
    x86) toolchain=$root/cmake/mingw-w64-i686.cmake; export WINEARCH=win32 ;;
    *) echo "the architecture must be x64 or x86, not '$arch'" >&2; exit 2 ;;
  esac
  build=$builds/$arch
  export WINEPREFIX=$build/wineprefix${wine_suffix:-}
}
select_wine "${NADESHIRO_WINE:-8}"
select_arch "${NADESHIRO_ARCH:-x64}"

configure_and_build() {
  cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" "$@"
}

# Sets up everything, builds the tool and the stand-in game, makes the build's Wine prefix and
# lays out the demo game folder in it, C:\Games\ONE ($demo): the tool, the stand-in "one.exe", a
# few slot files and a "backups" folder.
prepare_demo() {
  bash "$root/scripts/setup.sh" ${NADESHIRO_WINE_ROOT:+--wine10}
  use_japanese_locale
  configure_and_build --target nadeshiro one_standin
  bash "$root/scripts/wine-prefix.sh" "$WINEPREFIX"
  demo=$WINEPREFIX/drive_c/Games/ONE
  mkdir -p "$demo/backups"
  cp "$build/nadeshiro.exe" "$build/one.exe" "$demo/"
  local n
  for n in 00 01 05 12; do
    [ -e "$demo/save$n" ] || printf 'demo save data, slot %s\n' "$n" >"$demo/save$n"
  done
}

# Wine in the Japanese locale: code page 932 as on a Japanese Windows, and file names in
# Japanese. Stops at once where the system has no Japanese UTF-8 locale.
use_japanese_locale() {
  local name
  name=$(locale -a 2>/dev/null | grep -ix 'ja_JP\.utf-\?8' | head -n 1 || true)
  if [ -z "$name" ]; then
    echo "error: the system has no ja_JP.UTF-8 locale, which Wine needs for code page 932 and" >&2
    echo "       for file names in Japanese; run scripts/setup.sh as root (it generates it)." >&2
    exit 1
  fi
  unset LANGUAGE LC_CTYPE LC_MESSAGES
  export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
}

xvfb_pid=
# Uses the caller's X display when it answers, else starts a private Xvfb that any local
# account may use (the tests also run as an ordinary user).
ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n=77
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp -ac </dev/null >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 1 100); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "could not start Xvfb" >&2
  return 1
}

stop_display() {
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}

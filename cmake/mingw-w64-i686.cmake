# Cross-compiles the 32-bit Windows program (x86, PE32) on Debian with MinGW-w64 (POSIX
# threads flavour). It runs on every Windows the game runs on, 32-bit Windows included; its
# tests run under 32-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# Cross-compiles the 64-bit Windows program (x64, PE32+) on Debian with MinGW-w64 (POSIX
# threads flavour); its tests run under 64-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

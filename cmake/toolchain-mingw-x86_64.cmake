# Cross-compiles the 64-bit Windows program; its tests run under 64-bit Wine.
set(ZARN_MINGW_ARCH x86_64)
set(WINE_LOADER wine64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)

# Cross-compiles the 32-bit Windows program (the release build); its tests run under 32-bit Wine.
set(ZARN_MINGW_ARCH i686)
set(WINE_LOADER wine)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)

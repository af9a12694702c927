# Shared by the two toolchain files: cross-compiles the Windows program with the mingw-w64
# posix-thread compilers for ZARN_MINGW_ARCH (i686 or x86_64), and runs its tests under WINE_LOADER.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ZARN_MINGW_ARCH})
set(CMAKE_C_COMPILER ${ZARN_MINGW_ARCH}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZARN_MINGW_ARCH}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${ZARN_MINGW_ARCH}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ZARN_MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The loader is called directly: the /usr/bin/wine wrapper picks the 32-bit one whenever wine32 is
# installed. The scripts name it themselves (CMAKE_CROSSCOMPILING_EMULATOR).
find_program(WINE_EXECUTABLE ${WINE_LOADER} PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(WINE_EXECUTABLE AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_EXECUTABLE})
endif()

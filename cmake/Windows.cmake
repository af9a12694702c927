# Cross build: Zarn.exe and the Windows-side tests, which CTest runs under Wine.
enable_language(RC)
set(CMAKE_RC_FLAGS "--codepage=65001")

set(ZARN_WIN_DEFINES UNICODE _UNICODE NOMINMAX WINVER=0x0601 _WIN32_WINNT=0x0601 _WIN32_IE=0x0800)
set(ZARN_WIN_LIBS wininet shlwapi comctl32 gdiplus msimg32 winmm dsound ole32 oleaut32 uuid shell32
    advapi32 user32 gdi32 comdlg32)
set(ZARN_STATIC_LINK -static -static-libgcc -static-libstdc++)

target_compile_definitions(zarn_portable PUBLIC ${ZARN_WIN_DEFINES})

# What only one of the two builds would show at run time fails both at compile time: a cast between
# function-pointer types can hide a calling-convention mismatch (a stack fault on i686 alone), and an
# integer of another size made into a pointer (on x86_64 alone) is refused; C++ itself refuses a
# pointer squeezed into a smaller integer.
list(APPEND ZARN_WARNINGS -Werror=cast-function-type -Werror=int-to-pointer-cast)

# Everything but the entry point, so that the tests link the same code the program runs.
set(ZARN_WIN_SOURCES ${ZARN_ALL_SOURCES})
list(FILTER ZARN_WIN_SOURCES INCLUDE REGEX "/src/framework/|_win\\.cpp$")
list(REMOVE_ITEM ZARN_WIN_SOURCES ${ZARN_ENTRY_SOURCE})
# The test build's seams and commands (src/testbuild/) are in no library: the release program links
# their closed answers, the test build (testbuild/Zarn.exe, never shipped) the open ones with the
# browser commands; the tests link the closed ones and start the test build where they need it.
list(FILTER ZARN_WIN_SOURCES EXCLUDE REGEX "/src/testbuild/")
set(ZARN_TESTBUILD_OFF ${CMAKE_SOURCE_DIR}/src/testbuild/TestBuildOff_win.cpp)
set(ZARN_TESTBUILD_ON ${CMAKE_SOURCE_DIR}/src/testbuild/TestBuildOn_win.cpp
    ${CMAKE_SOURCE_DIR}/src/testbuild/BrowserTestCommands_win.cpp)
add_library(zarn_win STATIC ${ZARN_WIN_SOURCES})
target_link_libraries(zarn_win PUBLIC zarn_portable ${ZARN_WIN_LIBS})
target_compile_options(zarn_win PRIVATE ${ZARN_WARNINGS})

set(ZARN_RESOURCES ${CMAKE_SOURCE_DIR}/src/res/Zarn.rc)
file(GLOB_RECURSE ZARN_RESOURCE_DEPENDS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/res/*)

# Every skin PNG also goes in as the colour-keyed bitmap the loader would make of it, which the loader
# takes first: a window then shows without waiting for an image decoder. The login's backdrop (129)
# keeps its alpha and is drawn from its PNG.
set(ZARN_SKIN_BITMAP_IDS 131 132 133 134 135 136 137 138 139 140 141 142 148 149 150 151 152 153 162)
set(ZARN_SKIN_BITMAP_DIR ${ZARN_GENERATED_DIR}/skin)
set(ZARN_SKIN_PNGS ${ZARN_SKIN_BITMAP_IDS})
list(TRANSFORM ZARN_SKIN_PNGS PREPEND ${CMAKE_SOURCE_DIR}/src/res/png/)
list(TRANSFORM ZARN_SKIN_PNGS APPEND .png)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_command(
  OUTPUT ${ZARN_SKIN_BITMAP_DIR}/SkinBitmaps.rc
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/scripts/skin-bitmaps.py ${CMAKE_SOURCE_DIR}/src/res/png
          ${ZARN_SKIN_BITMAP_DIR} ${ZARN_SKIN_BITMAP_IDS}
  DEPENDS ${CMAKE_SOURCE_DIR}/scripts/skin-bitmaps.py ${ZARN_SKIN_PNGS}
  COMMENT "Skin bitmaps from the skin PNGs")
add_custom_target(zarn_skin_bitmaps DEPENDS ${ZARN_SKIN_BITMAP_DIR}/SkinBitmaps.rc)
list(APPEND ZARN_RESOURCE_DEPENDS ${ZARN_SKIN_BITMAP_DIR}/SkinBitmaps.rc)
string(APPEND CMAKE_RC_FLAGS " -I${ZARN_SKIN_BITMAP_DIR}")
set_source_files_properties(${ZARN_RESOURCES} PROPERTIES OBJECT_DEPENDS "${ZARN_RESOURCE_DEPENDS}")

add_executable(Zarn WIN32 ${ZARN_ENTRY_SOURCE} ${ZARN_TESTBUILD_OFF} ${ZARN_RESOURCES})
target_link_libraries(Zarn PRIVATE zarn_win)
target_compile_options(Zarn PRIVATE ${ZARN_WARNINGS})
target_link_options(Zarn PRIVATE -municode ${ZARN_STATIC_LINK} $<$<CONFIG:Release>:-s>)
add_dependencies(Zarn zarn_skin_bitmaps)

add_executable(ZarnTestBuild WIN32 ${ZARN_ENTRY_SOURCE} ${ZARN_TESTBUILD_ON} ${ZARN_RESOURCES})
target_link_libraries(ZarnTestBuild PRIVATE zarn_win)
target_compile_options(ZarnTestBuild PRIVATE ${ZARN_WARNINGS})
target_link_options(ZarnTestBuild PRIVATE -municode ${ZARN_STATIC_LINK})
add_dependencies(ZarnTestBuild zarn_skin_bitmaps)
set_target_properties(ZarnTestBuild PROPERTIES OUTPUT_NAME Zarn RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/testbuild)

# GoogleTest from Debian's sources, cross-compiled.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB_RECURSE ZARN_WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*WinTest.cpp)
file(GLOB_RECURSE ZARN_TEST_SUPPORT CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*_win.cpp)
add_executable(zarn_wintests ${ZARN_WIN_TESTS} ${ZARN_TEST_SUPPORT} ${ZARN_TESTBUILD_OFF} ${ZARN_RESOURCES})
target_include_directories(zarn_wintests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(zarn_wintests PRIVATE zarn_win gtest gtest_main)
target_compile_options(zarn_wintests PRIVATE ${ZARN_WARNINGS})
target_link_options(zarn_wintests PRIVATE ${ZARN_STATIC_LINK})
add_dependencies(zarn_wintests zarn_skin_bitmaps Zarn ZarnTestBuild zarn_gamepeer zarn_markerinstaller)

# The stand-in game-window process the launcher's test build starts in the tests.
add_executable(zarn_gamepeer WIN32 ${CMAKE_SOURCE_DIR}/tests/peer/GamePeer_win.cpp)
target_compile_definitions(zarn_gamepeer PRIVATE ${ZARN_WIN_DEFINES})
target_compile_options(zarn_gamepeer PRIVATE ${ZARN_WARNINGS})
target_link_options(zarn_gamepeer PRIVATE -municode ${ZARN_STATIC_LINK})
target_link_libraries(zarn_gamepeer PRIVATE shell32 user32)

# The harmless installer the client download tests serve: it leaves a marker file and ends.
add_executable(zarn_markerinstaller WIN32 ${CMAKE_SOURCE_DIR}/tests/peer/MarkerInstaller_win.cpp)
target_compile_definitions(zarn_markerinstaller PRIVATE ${ZARN_WIN_DEFINES})
target_compile_options(zarn_markerinstaller PRIVATE ${ZARN_WARNINGS})
target_link_options(zarn_markerinstaller PRIVATE -municode ${ZARN_STATIC_LINK})

# The run script's and the tour's look into Wine: the program's windows and shortcuts, the places the
# tour clicks, and the test build's browser commands for the pages that cannot load there.
add_executable(zarn_lookout ${CMAKE_SOURCE_DIR}/tests/lookout/Lookout_win.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/WinTestSupport_win.cpp ${CMAKE_SOURCE_DIR}/tests/support/SetupTestSupport_win.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/BrowserTestSupport_win.cpp ${ZARN_TESTBUILD_OFF})
target_include_directories(zarn_lookout PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(zarn_lookout PRIVATE zarn_win)
target_compile_options(zarn_lookout PRIVATE ${ZARN_WARNINGS})
target_link_options(zarn_lookout PRIVATE -municode ${ZARN_STATIC_LINK})

# The tests find Zarn.exe beside their own executable and keep scratch files (the portal's request log
# among them) in <build>/test-state.
include(GoogleTest)
gtest_discover_tests(zarn_wintests TEST_PREFIX "win." DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
  PROPERTIES TIMEOUT 180)

# The tests of sound muting on systems before Vista: a program of its own, which makes Wine report
# Windows XP to it alone (the rest of the suite keeps seeing 6.1).
add_executable(zarn_xptests ${CMAKE_SOURCE_DIR}/tests/mute/SoundMuteXpTests_win.cpp ${ZARN_TESTBUILD_OFF})
target_include_directories(zarn_xptests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(zarn_xptests PRIVATE zarn_win gtest)
target_compile_options(zarn_xptests PRIVATE ${ZARN_WARNINGS})
target_link_options(zarn_xptests PRIVATE ${ZARN_STATIC_LINK})
gtest_discover_tests(zarn_xptests TEST_PREFIX "win.xp." DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
  PROPERTIES TIMEOUT 180)

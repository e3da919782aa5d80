# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (posix threads) and runs what it
# built under Wine, so that ctest and gtest_discover_tests work as on Windows.
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(tarvel_triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${tarvel_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${tarvel_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${tarvel_triplet}-windres)

# The C, C++ and thread runtimes linked in: a program runs without any DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Headers and libraries come from the MinGW tree (and prefixes given on the command line),
# never from the build machine's own.
set(CMAKE_FIND_ROOT_PATH /usr/${tarvel_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Wine with a prefix of its own in the build folder, so that nothing touches the user's
# ~/.wine, without its debug channels, through wine_run.sh (why: see there).
find_program(TARVEL_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
set(TARVEL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix the tests run in")
if(TARVEL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${CMAKE_COMMAND} -E env WINEPREFIX=${TARVEL_WINEPREFIX} WINEDEBUG=-all
      bash ${CMAKE_CURRENT_LIST_DIR}/wine_run.sh ${TARVEL_WINE})
endif()

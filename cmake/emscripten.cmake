# WebAssembly with emscripten (emcmake cmake ...): the libraries that need no window and their
# GoogleTest programs, run by ctest under Node. No window of a desktop toolkit here.
set(TARVEL_QT_WINDOW OFF)

# Debian's emcc runs its JavaScript optimiser with the system Node, which finds acorn only
# through NODE_PATH; the launchers set it for every compile and link, whatever the shell has.
set(tarvel_node_path ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
set(CMAKE_CXX_COMPILER_LAUNCHER ${tarvel_node_path})
set(CMAKE_CXX_LINKER_LAUNCHER ${tarvel_node_path})

# Node 18 and later fetch() the .wasm file emscripten 3.1.6 asks for by path, and fail: with
# fetch off it reads the file.
find_program(TARVEL_NODE NAMES node nodejs REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TARVEL_NODE} --no-experimental-fetch)

# Link options of the programs that run under Node (the tests, conversor): the host's files
# through Node, and the process environment as the C library's, so that LC_ALL and LANG reach
# the program as on a desktop.
add_library(tarvel_node_program INTERFACE)
target_link_options(tarvel_node_program INTERFACE -sNODERAWFS=1 -sALLOW_MEMORY_GROWTH=1
  "SHELL:--pre-js ${CMAKE_CURRENT_LIST_DIR}/node_environment.js")

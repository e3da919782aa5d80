cmake_minimum_required(VERSION 3.25)
# Puts the web app together in OUTPUT and zips it into ZIP: the page, its style, the module,
# the images, the manifest and the service worker, whose cache is named by VERSION and a hash
# of every other file, so that any change to any file makes a new cache.
# cmake -DSOURCE= -DRESOURCES= -DGENERATED= -DMODULE= -DVERSION= -DOUTPUT= -DZIP= -P assemble.cmake
foreach(var SOURCE RESOURCES GENERATED MODULE VERSION OUTPUT ZIP)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "assemble.cmake: ${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${OUTPUT})
file(MAKE_DIRECTORY ${OUTPUT})
file(COPY ${GENERATED}/index.html ${GENERATED}/layout.css ${GENERATED}/manifest.webmanifest
     ${SOURCE}/style.css ${MODULE}/conversor-unidades.js ${MODULE}/conversor-unidades.wasm
     ${RESOURCES}/banner.webp ${RESOURCES}/icon-192.png ${RESOURCES}/icon-512.png
     ${RESOURCES}/icon-maskable-512.png DESTINATION ${OUTPUT})

file(GLOB files RELATIVE ${OUTPUT} ${OUTPUT}/*)
list(SORT files)
set(digests "")
set(precache "\"./\"")
foreach(name IN LISTS files)
  file(SHA256 ${OUTPUT}/${name} digest)
  string(APPEND digests "${name} ${digest}\n")
  string(APPEND precache ", \"${name}\"")
endforeach()
string(SHA256 hash "${digests}")
string(SUBSTRING ${hash} 0 16 hash)
file(READ ${SOURCE}/sw.js.in worker)
string(REPLACE "@VERSION@" "${VERSION}" worker "${worker}")
string(REPLACE "@HASH@" "${hash}" worker "${worker}")
string(REPLACE "@FILES@" "${precache}" worker "${worker}")
file(WRITE ${OUTPUT}/sw.js "${worker}")

file(REMOVE ${ZIP})
file(GLOB all RELATIVE ${OUTPUT} ${OUTPUT}/*)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip ${all}
                WORKING_DIRECTORY ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "assemble.cmake: the ZIP could not be written")
endif()
# The same bytes from the same files: entries sorted, their times those of the source
# (SOURCE_DATE_EPOCH, else the last commit), modes 644 or 755, no owners. Under UTC, since a
# ZIP's times are local.
find_program(strip_nondeterminism strip-nondeterminism)
if(strip_nondeterminism)
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
  if(epoch STREQUAL "")
    execute_process(COMMAND git -C ${SOURCE} log -1 --format=%ct OUTPUT_VARIABLE epoch
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
  if(NOT epoch STREQUAL "")
    execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${strip_nondeterminism} --type zip
                            --timestamp ${epoch} ${ZIP}
                    OUTPUT_QUIET RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "assemble.cmake: strip-nondeterminism failed on the ZIP")
    endif()
  endif()
endif()

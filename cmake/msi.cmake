# The Windows installer and the portable ZIP of the two programs, in the build folder:
#   cmake --build build --target msi   conversor-unidades-<version>-x64.msi and .zip
#   cmake --build build --target zip   the ZIP alone (all that a machine without wixl makes)
# The MSI is built by wixl (msitools) from resources/conversor-unidades.wxs.in. Included
# after src/, so that the programs' targets exist. On a Unix build machine both come out the
# same bytes from the same sources, and signed when a key is given (cmake/windows_package.sh).
if(NOT TARGET conversor-unidades OR NOT TARGET conversor)
  message(STATUS "msi: no Windows window program to package, no installer")
  return()
endif()

set(tarvel_package conversor-unidades-${PROJECT_VERSION}-x64)
set(tarvel_msi_dir ${PROJECT_BINARY_DIR}/msi)
set(tarvel_stage ${tarvel_msi_dir}/${tarvel_package})
set(tarvel_zip ${PROJECT_BINARY_DIR}/${tarvel_package}.zip)
set(tarvel_msi ${PROJECT_BINARY_DIR}/${tarvel_package}.msi)
include(${PROJECT_SOURCE_DIR}/cmake/msi_codes.cmake)
tarvel_product_code(TARVEL_PRODUCT_CODE "${PROJECT_DESCRIPTION}" "${PROJECT_VERSION}")
# The publisher is the licence's copyright holder.
string(REGEX REPLACE "^Copyright \\([cC]\\) [0-9, -]+ " "" TARVEL_PUBLISHER "${TARVEL_COPYRIGHT}")

# The programs go out without their debugging information (MinGW keeps it in the .exe; MSVC
# keeps it in the .pdb beside it).
set(tarvel_strip "")
if(CMAKE_STRIP AND NOT MSVC)
  set(tarvel_strip COMMAND ${CMAKE_STRIP} ${tarvel_stage}/conversor-unidades.exe
                   ${tarvel_stage}/conversor.exe)
endif()
# The portable ZIP's own few lines, in Spanish with an English summary.
configure_file(${PROJECT_SOURCE_DIR}/resources/README-windows.txt.in ${tarvel_msi_dir}/README.txt
               @ONLY)
set(tarvel_reproducible_stage "")
set(tarvel_reproducible_zip "")
set(tarvel_reproducible_msi "")
if(CMAKE_HOST_UNIX)
  set(tarvel_script bash ${PROJECT_SOURCE_DIR}/cmake/windows_package.sh)
  set(tarvel_reproducible_stage COMMAND ${tarvel_script} stage ${tarvel_stage})
  set(tarvel_reproducible_zip COMMAND ${tarvel_script} zip ${tarvel_zip})
  set(tarvel_reproducible_msi
      COMMAND ${tarvel_script} msi ${tarvel_msi} ${PROJECT_VERSION} ${PROJECT_SOURCE_DIR})
endif()
add_custom_command(
  OUTPUT ${tarvel_zip}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${tarvel_stage}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${tarvel_stage}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:conversor-unidades> ${tarvel_stage}/conversor-unidades.exe
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:conversor> ${tarvel_stage}/conversor.exe
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/LICENSE ${tarvel_stage}/LICENSE.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${tarvel_msi_dir}/README.txt ${tarvel_stage}/README.txt
  ${tarvel_strip}
  ${tarvel_reproducible_stage}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${tarvel_zip}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${tarvel_zip} --format=zip ${tarvel_package}
  ${tarvel_reproducible_zip}
  WORKING_DIRECTORY ${tarvel_msi_dir}
  DEPENDS conversor-unidades conversor ${PROJECT_SOURCE_DIR}/LICENSE
          ${tarvel_msi_dir}/README.txt
          ${PROJECT_SOURCE_DIR}/cmake/windows_package.sh
  COMMENT "Portable ZIP ${tarvel_package}.zip"
  VERBATIM)
add_custom_target(zip DEPENDS ${tarvel_zip})

find_program(TARVEL_WIXL wixl)
if(NOT TARVEL_WIXL)
  message(STATUS "msi: wixl (msitools) not found, only the ZIP can be built")
  return()
endif()
configure_file(${PROJECT_SOURCE_DIR}/resources/conversor-unidades.wxs.in
               ${tarvel_msi_dir}/conversor-unidades.wxs @ONLY)
# wixl takes its sources relative to the .wxs, never by absolute path.
configure_file(${PROJECT_SOURCE_DIR}/resources/icon.ico ${tarvel_msi_dir}/icon.ico COPYONLY)
add_custom_command(
  OUTPUT ${tarvel_msi}
  COMMAND ${TARVEL_WIXL} --arch x64 --output ${tarvel_msi} conversor-unidades.wxs
  ${tarvel_reproducible_msi}
  WORKING_DIRECTORY ${tarvel_msi_dir}
  DEPENDS ${tarvel_zip} ${tarvel_msi_dir}/conversor-unidades.wxs ${tarvel_msi_dir}/icon.ico
          ${PROJECT_SOURCE_DIR}/cmake/msi_codes.cmake
  COMMENT "Installer ${tarvel_package}.msi"
  VERBATIM)
add_custom_target(msi DEPENDS ${tarvel_msi})

# What `cmake --install` puts beside the program so that desktops list it, and the Debian
# package made of it with `cpack -G DEB`.

if(UNIX AND NOT APPLE)
  # Nothing of ours is installed beside the program for a search path to find; a Qt outside
  # the system's directories is found with -DCMAKE_INSTALL_RPATH_USE_LINK_PATH=ON.
  set_property(TARGET conversor-unidades PROPERTY INSTALL_RPATH "")
  # The menu entry, the software-centre record and the icon at every size drawn.
  install(FILES ${PROJECT_SOURCE_DIR}/resources/conversor-unidades.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_BINARY_DIR}/generated/${TARVEL_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/icons/hicolor
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons
          FILES_MATCHING PATTERN "conversor-unidades.png")
  # Where Debian looks for a package's licence.
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/conversor-unidades RENAME copyright)
else()
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
endif()

set(CPACK_PACKAGE_NAME conversor-unidades)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Los autores de Conversor de unidades")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "unit converter for HVAC engineering (Spanish interface)")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://github.com/conversor-unidades/conversor-unidades")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER
    "Los autores de Conversor de unidades <conversor-unidades@users.noreply.github.com>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt, C++ and C libraries as dpkg-shlibdeps finds them in the binary, the faces the
# window asks for where Arial is missing, and Qt's own texts in Spanish.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, qt6-translations-l10n")
# Native windows on a Wayland desktop; without it Qt runs through XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[
A small desktop unit converter for heating, ventilation and air-conditioning
engineers, with a Spanish user interface. Pick one of fourteen quantities
(length, area, volume, speed, mass, force, energy, power, density, pressure,
temperature, specific heat, heat-transfer coefficient, flow), pick a unit for
each of the two value boxes and type into either one: the other box shows the
same quantity in its own unit at once, with up to four decimals. The command
conversor gives the same figures in scripts and converts whole columns.]=])

include(CPack)

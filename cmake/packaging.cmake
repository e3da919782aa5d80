# What `cmake --install` puts beside the program so that desktops list it. The Debian package
# is built from debian/ (dpkg-buildpackage), which installs exactly this.

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
  # Where Debian looks for a package's licence; the Debian package brings its own, in the
  # machine-readable form (debian/copyright).
  option(TARVEL_INSTALL_LICENSE "Install the licence as share/doc/conversor-unidades/copyright" ON)
  if(TARVEL_INSTALL_LICENSE)
    install(FILES ${PROJECT_SOURCE_DIR}/LICENSE
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/conversor-unidades RENAME copyright)
  endif()
else()
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
endif()

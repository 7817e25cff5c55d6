# Installation and packaging.
#
#   cmake --install build --prefix /usr   the two programs, the desktop entry,
#                                          the icon and the documentation
#   cd build && cpack -G DEB               kvarbon_<version>_<arch>.deb
include(GNUInstallDirs)

# The programs print the version the package carries.
target_compile_definitions(kvarbon_core PRIVATE KVARBON_VERSION="${PROJECT_VERSION}")

install(TARGETS kvarbon zel-inspect RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/kvarbon.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 32)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/kvarbon-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME kvarbon.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/zel-format.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kvarbon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Kvarbon developers <kvarbon-dev@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "authoring tool for ZEL slide shows")
set(CPACK_PACKAGE_DESCRIPTION [[
Кварбон takes the pictures (BMP, JPEG, GIF) of the folder pic and the WAV
sounds of the folder snd in its working directory, previews them as a slide
show at a chosen rate, lets the user attach a sound to any frame, and encodes
the show into one container file, Dest.zel, with the assignment list
sound.ini beside it.

The package also holds zel-inspect, a command-line reader that checks a
container and takes it apart.]])
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link against (Qt, SDL2, the C++ runtime) come from
# dpkg-shlibdeps; the fonts the windows ask for by name are added here. Qt's X11
# platform plugin and its JPEG and GIF readers are part of libqt6gui6.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
include(CPack)

# Installs into a temporary root, builds the package from it, and checks both.
if(KVARBON_BUILD_TESTS)
  add_test(NAME packaging
           COMMAND ${PROJECT_SOURCE_DIR}/tests/packaging/check_package.sh
                   ${CMAKE_COMMAND} ${CMAKE_CPACK_COMMAND} ${PROJECT_BINARY_DIR} ${PROJECT_VERSION})
endif()

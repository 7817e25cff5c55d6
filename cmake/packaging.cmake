# SPDX-License-Identifier: GPL-3.0-or-later
# Installation and packaging.
#
#   cmake --install build --prefix /usr   the programs with their manual pages,
#                                          the desktop entry, the icons, the
#                                          AppStream metadata and the documents
#   cd build && cpack -G DEB               kvarbon_<version>_<arch>.deb
include(GNUInstallDirs)

# Who answers for the package, and where the project lives on the web (the
# AppStream metadata links its home page and screenshot there). A packager sets
# both for the package being made.
set(KVARBON_MAINTAINER "Kvarbon developers <maintainers@kvarbon.org>"
    CACHE STRING "Maintainer of the Debian package, as \"Name <address>\"")
set(KVARBON_WEBSITE "https://kvarbon.org" CACHE STRING "The project's home page, without a final /")

find_program(GZIP_COMMAND gzip REQUIRED)
set(generated ${PROJECT_BINARY_DIR}/package-files)

# Compressed as Debian ships documents: maximum compression, and no name or
# time stamp in the header, so that the same input gives the same bytes.
function(kvarbon_gzip source output)
  get_filename_component(name ${output} NAME_WLE)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${generated}/${name}
    COMMAND ${GZIP_COMMAND} -9nf ${generated}/${name}
    DEPENDS ${source} VERBATIM)
endfunction()

# Each program with its manual page; the player and the exporter join when built.
set(package_files)
foreach(program kvarbon zel-inspect zel-play zel-export)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    configure_file(${PROJECT_SOURCE_DIR}/resources/man/${program}.1 ${generated}/${program}.1.in @ONLY)
    kvarbon_gzip(${generated}/${program}.1.in ${generated}/${program}.1.gz)
    list(APPEND package_files ${generated}/${program}.1.gz)
    install(FILES ${generated}/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    # A stripped install (cmake --install --strip, and cpack) also drops the
    # compiler's notes, which only say which compiler built the program.
    install(CODE "
      if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
                        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\"
                        COMMAND_ERROR_IS_FATAL ANY)
      endif()")
  endif()
endforeach()

configure_file(${PROJECT_SOURCE_DIR}/resources/debian/copyright ${generated}/copyright @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/debian/changelog ${generated}/changelog.in @ONLY)
kvarbon_gzip(${generated}/changelog.in ${generated}/changelog.gz)
configure_file(${PROJECT_SOURCE_DIR}/resources/kvarbon.metainfo.xml.in
               ${generated}/org.kvarbon.kvarbon.metainfo.xml @ONLY)
list(APPEND package_files ${generated}/changelog.gz)
add_custom_target(package_files ALL DEPENDS ${package_files})

install(FILES ${PROJECT_SOURCE_DIR}/resources/kvarbon.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The player opens *.zel files, a file type of their own.
if(TARGET zel-play)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/zel-play.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/zel-mime.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME kvarbon-zel.xml)
endif()
install(FILES ${generated}/org.kvarbon.kvarbon.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/kvarbon-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME kvarbon.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/kvarbon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The README keeps its links working: the documents it links sit beside it in
# docs/, as in the source tree. The project is its own upstream, so its one
# changelog has the name Debian gives a native package's.
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${generated}/copyright ${generated}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/zel-format.md ${PROJECT_SOURCE_DIR}/docs/architecture.md
              ${PROJECT_SOURCE_DIR}/docs/screenshot.png
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kvarbon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${KVARBON_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "authoring tool for ZEL slide shows")
set(CPACK_PACKAGE_DESCRIPTION [[
Кварбон takes the pictures (BMP, JPEG, GIF) of the folder pic and the WAV
sounds of the folder snd in a show's folder, previews them as a slide show at
a chosen rate, lets the user attach a sound to any frame, and encodes the show
into one container file, Dest.zel, with the assignment list sound.ini beside
it.

The package also holds zel-inspect, a command-line reader that checks a
container and takes it apart; zel-play, which plays a show in a window; and
zel-export, which turns a show into an .mp4 or .webm video with its sounds.]])
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
# Qt's Russian texts, for the folder dialog the menu entry opens.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
include(CPack)

# Installs into a temporary root, builds the package from it, and checks both.
if(KVARBON_BUILD_TESTS)
  add_test(NAME packaging
           COMMAND ${PROJECT_SOURCE_DIR}/tests/packaging/check_package.sh
                   ${CMAKE_COMMAND} ${CMAKE_CPACK_COMMAND} ${PROJECT_BINARY_DIR} ${PROJECT_VERSION})
endif()

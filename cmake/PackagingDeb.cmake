# The Linux desktop integration and the Debian package:
#   menu entry, MIME type of configuration files, icon, AppStream metainfo, manual pages made
#   from the programs' --help, bash completion for zarnik-cli, and `cmake --build build
#   --target package`, which makes zarnik_<version>_amd64.deb with CPack.
# The package holds the desktop program, zarnik-cli and the simulator.

include(GNUInstallDirs)

set(ZARNIK_APP_ID org.zarnik.Zarnik)
set(ZARNIK_HOMEPAGE "https://zarnik.example.org" CACHE STRING "The project's home page")
set(ZARNIK_SCREENSHOTS "${ZARNIK_HOMEPAGE}/docs" CACHE STRING
    "Where the published screenshots (docs/*.png) are found on the web")
set(ZARNIK_LICENSE "LicenseRef-proprietary" CACHE STRING "SPDX licence of the program")
set(ZARNIK_MAINTAINER "Zarnik developers <zarnik@zarnik.example.org>" CACHE STRING
    "Maintainer of the Debian package")

set(_pkg ${CMAKE_SOURCE_DIR}/packaging/linux)
set(_out ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${_out})
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# --- files as they stand -------------------------------------------------------------------
if(ZARNIK_BUILD_APP)
  install(FILES ${_pkg}/${ZARNIK_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${_pkg}/zarnik-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
          RENAME zarnik.xml)
  install(FILES ${_pkg}/zarnik.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  configure_file(${_pkg}/${ZARNIK_APP_ID}.metainfo.xml.in ${_out}/${ZARNIK_APP_ID}.metainfo.xml
                 @ONLY)
  install(FILES ${_out}/${ZARNIK_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()
if(TARGET zarnik-cli)
  install(FILES ${_pkg}/zarnik-cli.bash-completion
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME zarnik-cli)
endif()
install(FILES ${_pkg}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(_generated)

# --- the changelog, compressed as Debian keeps it --------------------------------------------
find_program(GZIP_PROGRAM gzip)
if(GZIP_PROGRAM)
  add_custom_command(OUTPUT ${_out}/changelog.gz
    COMMAND ${GZIP_PROGRAM} -9nc ${_pkg}/changelog > ${_out}/changelog.gz
    DEPENDS ${_pkg}/changelog VERBATIM)
  list(APPEND _generated ${_out}/changelog.gz)
  install(FILES ${_out}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

# --- the icon in the sizes a menu asks for ---------------------------------------------------
find_program(RSVG_CONVERT rsvg-convert)
if(ZARNIK_BUILD_APP AND RSVG_CONVERT)
  foreach(size 16 22 24 32 48 64 128 256)
    set(_png ${_out}/icons/${size}x${size}/zarnik.png)
    add_custom_command(OUTPUT ${_png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${_out}/icons/${size}x${size}
      COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${_png} ${_pkg}/zarnik.svg
      DEPENDS ${_pkg}/zarnik.svg VERBATIM)
    list(APPEND _generated ${_png})
    install(FILES ${_png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
elseif(ZARNIK_BUILD_APP)
  message(STATUS "rsvg-convert not found: the icon is installed as SVG only")
endif()

# --- manual pages, made from each program's own --help --------------------------------------
find_program(HELP2MAN help2man)
if(HELP2MAN AND GZIP_PROGRAM)
  set(_man_programs)
  if(TARGET zarnik)
    list(APPEND _man_programs "zarnik|configurator of the office telephone station")
  endif()
  if(TARGET zarnik-cli)
    list(APPEND _man_programs
         "zarnik-cli|configurator of the office telephone station, from a terminal")
  endif()
  if(TARGET zarnik-sim)
    list(APPEND _man_programs "zarnik-sim|a simulated telephone station on a pseudo-terminal")
  endif()
  foreach(entry ${_man_programs})
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 program)
    list(GET entry 1 summary)
    set(_page ${_out}/man/${program}.1)
    add_custom_command(OUTPUT ${_page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${_out}/man
      COMMAND ${_pkg}/make-manpage.sh $<TARGET_FILE_DIR:${program}> ${program}
              ${PROJECT_VERSION} ${summary} ${_page}
      COMMAND ${GZIP_PROGRAM} -9nf ${_page}
      DEPENDS ${program} ${_pkg}/make-manpage.sh VERBATIM)
    list(APPEND _generated ${_page}.gz)
    install(FILES ${_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
else()
  message(STATUS "help2man or gzip not found: no manual pages")
endif()

if(_generated)
  add_custom_target(zarnik_desktop_files ALL DEPENDS ${_generated})
endif()

# --- checks of what is installed --------------------------------------------------------------
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
find_program(APPSTREAMCLI appstreamcli)
if(ZARNIK_BUILD_APP AND DESKTOP_FILE_VALIDATE)
  add_test(NAME packaging.desktop_file
           COMMAND ${DESKTOP_FILE_VALIDATE} ${_pkg}/${ZARNIK_APP_ID}.desktop)
endif()
if(ZARNIK_BUILD_APP AND APPSTREAMCLI)
  add_test(NAME packaging.metainfo
           COMMAND ${APPSTREAMCLI} validate --no-net ${_out}/${ZARNIK_APP_ID}.metainfo.xml)
endif()
if(TARGET zarnik-cli)
  add_test(NAME packaging.completion
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/packaging/completion_test.sh
                   ${_pkg}/zarnik-cli.bash-completion $<TARGET_FILE_DIR:zarnik-cli>)
  set_tests_properties(packaging.completion PROPERTIES SKIP_RETURN_CODE 77)
endif()
if(HELP2MAN AND GZIP_PROGRAM)
  add_test(NAME packaging.manual_pages
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/packaging/manual_pages_test.sh
                   ${_out}/man ${CMAKE_BINARY_DIR})
endif()

# --- the Debian package -------------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zarnik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${ZARNIK_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configurator of an office telephone station")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Zarnik reads the configuration tables of a small office telephone station over the\n\
serial port, edits them in windows, writes the changed tables back and keeps whole\n\
configurations in files. The package holds the desktop program (zarnik), the same engine\n\
for a terminal (zarnik-cli) and a simulated station for training and demonstrations\n\
(zarnik-sim).")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${ZARNIK_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Help pages and workbooks are opened with the desktop's programs through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)

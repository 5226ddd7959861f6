# SPDX-License-Identifier: GPL-3.0-or-later
# Installation and the Debian package. The tool loads its panel file from its own directory,
# so both live in one folder; a link in bin/ starts it. The Help menu finds the README at
# ../../share/doc/rmox-sensor-tool/ from that folder (workbench/shared/about_dialog.cpp), so the
# folder is lib/rmox-sensor-tool, not the multiarch library directory.
include(GNUInstallDirs)
set(RMOX_APP_DIR lib/rmox-sensor-tool)
set(RMOX_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/rmox-sensor-tool)
set(RMOX_APPSTREAM_ID invalid.rmox.sensor_tool)
set(RMOX_PACKAGING_DIR ${CMAKE_BINARY_DIR}/packaging)

install(TARGETS VidaREZezad11 DESTINATION ${RMOX_APP_DIR})
install(FILES ${RMOX_PANEL_FILE} DESTINATION ${RMOX_APP_DIR})
install(TARGETS rmox-sensor-sim DESTINATION ${CMAKE_INSTALL_BINDIR})
install(CODE "
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  execute_process(COMMAND ${CMAKE_COMMAND} -E create_symlink
    ../${RMOX_APP_DIR}/VidaREZezad11
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/rmox-sensor-tool\")")
install(FILES packaging/rmox-sensor-tool.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/rmox-sensor-tool.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME rmox-sensor-tool)

# Documentation: the README with the pictures it shows, the copyright and the changelog.
file(GLOB RMOX_DOC_PICTURES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/*.png)
install(FILES README.md packaging/copyright DESTINATION ${RMOX_DOC_DIR})
install(FILES ${RMOX_DOC_PICTURES} DESTINATION ${RMOX_DOC_DIR}/docs)

# The changelog and the metainfo list releases newest first. A build ships them from its own
# version down, so that a build of an earlier version never announces a later one, and a new
# version cannot be built without its entries.
function(rmox_releases_from_own_version source head_end entry out)
  file(READ ${source} text)
  string(FIND "${text}" "${entry}" entry_at)
  if(entry_at EQUAL -1)
    message(FATAL_ERROR "${source} has no entry for version ${PROJECT_VERSION}: ${entry}")
  endif()
  set(head "")
  if(head_end)
    string(FIND "${text}" "${head_end}" head_at)
    string(LENGTH "${head_end}" head_length)
    math(EXPR head_at "${head_at} + ${head_length}")
    string(SUBSTRING "${text}" 0 ${head_at} head)
  endif()
  string(SUBSTRING "${text}" ${entry_at} -1 tail)
  file(WRITE ${out}.new "${head}${tail}")
  configure_file(${out}.new ${out} COPYONLY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()

# A native package's changelog: changelog.gz, compressed without a time stamp.
rmox_releases_from_own_version(${CMAKE_SOURCE_DIR}/packaging/changelog ""
                               "rmox-sensor-tool (${PROJECT_VERSION}) "
                               ${RMOX_PACKAGING_DIR}/changelog)
add_custom_command(OUTPUT ${RMOX_PACKAGING_DIR}/changelog.gz
                   COMMAND gzip -9n --force --keep ${RMOX_PACKAGING_DIR}/changelog
                   DEPENDS ${RMOX_PACKAGING_DIR}/changelog VERBATIM)
add_custom_target(rmox_changelog ALL DEPENDS ${RMOX_PACKAGING_DIR}/changelog.gz)
install(FILES ${RMOX_PACKAGING_DIR}/changelog.gz DESTINATION ${RMOX_DOC_DIR})

set(RMOX_METAINFO ${RMOX_PACKAGING_DIR}/${RMOX_APPSTREAM_ID}.metainfo.xml)
rmox_releases_from_own_version(${CMAKE_SOURCE_DIR}/packaging/rmox-sensor-tool.metainfo.xml
                               "<releases>\n" "    <release version=\"${PROJECT_VERSION}\""
                               ${RMOX_METAINFO})
install(FILES ${RMOX_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages from the commands' --help and packaging/<command>.h2m, compressed as Debian
# wants them. Instrumented builds are never installed, so they make none.
function(rmox_manual_page target command)
  set(page ${RMOX_PACKAGING_DIR}/${command}.1)
  set(extra ${CMAKE_SOURCE_DIR}/packaging/${command}.h2m)
  add_custom_command(OUTPUT ${page}.gz
                     COMMAND ${HELP2MAN} --no-info --include=${extra} --output=${page}
                             $<TARGET_FILE:${target}>
                     COMMAND gzip -9n --force ${page}
                     DEPENDS ${target} ${extra} VERBATIM)
  add_custom_target(rmox_man_${command} ALL DEPENDS ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

find_program(HELP2MAN help2man)
if(NOT HELP2MAN)
  message(WARNING "help2man not found (scripts/setup.sh installs it): no manual pages")
elseif(NOT RMOX_SANITIZE AND NOT RMOX_FUZZ)
  rmox_manual_page(VidaREZezad11 rmox-sensor-tool)
  rmox_manual_page(rmox-sensor-sim rmox-sensor-sim)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rmox-sensor-tool)
set(CPACK_PACKAGE_VENDOR "R-MOX tool developers")
set(CPACK_PACKAGE_CONTACT "R-MOX tool developers <tool@rmox.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Service and monitoring tool for R-MOX-QF CCD line sensors")
set(CPACK_PACKAGE_DESCRIPTION
    "A desktop tool for servicing R-MOX-QF CCD line sensors on a serial line
(RS-232 or a USB-serial adapter, 19200 baud). A technician uses it to
read, edit and write the sensor's 16-word parameter set (sensor RAM,
EEPROM or a parameter file), watch the live measurement on a graph,
capture the video signal with its threshold and order teach operations.

The service workbench adds a sensor search over every port with a
diagnosis of lines that do not answer, a communication log whose sessions
can be opened and replayed, captures and a live trend with statistics, a
parameter-set compare, an analysis of the video signal, a service history
in SQLite or a shared PostgreSQL database, and a service report.

The package also holds rmox-sensor-sim, a simulated sensor on a
pseudo-terminal with fault modes, to try the tool without hardware.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# Directories as Debian wants them, whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# Platform and SQL driver plugins are loaded at run time, so shlibdeps cannot see them. The
# service history lives in SQLite; the PostgreSQL driver is only needed for a team's shared one,
# so it is recommended: a tool without it keeps its history locally and says why it cannot
# reach a postgresql:// location.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6sql6-psql")
include(CPack)

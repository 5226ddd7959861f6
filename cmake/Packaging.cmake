# Installation and the Debian package. The tool loads its panel file from its own directory,
# so both live in one folder; a link in bin/ starts it.
include(GNUInstallDirs)
set(RMOX_APP_DIR ${CMAKE_INSTALL_LIBDIR}/rmox-sensor-tool)

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

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rmox-sensor-tool)
set(CPACK_PACKAGE_VENDOR "R-MOX tool developers")
set(CPACK_PACKAGE_CONTACT "R-MOX tool developers <tool@rmox.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Service and monitoring tool for R-MOX-QF CCD line sensors")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# Platform plugins are loaded at run time, so shlibdeps cannot see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
include(CPack)

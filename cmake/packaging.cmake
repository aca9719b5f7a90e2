# Installation and the Debian package (cpack -G DEB).
include(GNUInstallDirs)

install(TARGETS vr880tx-config vr880tx vr880tx-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${CMAKE_SOURCE_DIR}/packaging/vr880tx-config.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/src/ui/pictures/window_icon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME vr880tx-config.svg)

set(CPACK_PACKAGE_NAME vr880tx-config)
set(CPACK_PACKAGE_VENDOR "VR880TX Config developers")
set(CPACK_PACKAGE_CONTACT "VR880TX Config developers <maintainers@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Find, configure and test a VR880TX card-reader controller on a serial line")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-microhei")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_SOURCE_DIR}/packaging/postinst ${CMAKE_SOURCE_DIR}/packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

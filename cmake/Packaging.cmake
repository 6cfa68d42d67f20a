# The Debian package: `cpack -G DEB` in the build folder. It holds what `cmake --install`
# lays out, under /usr, with the dependencies dpkg-shlibdeps finds in the program and
# its libraries, and scripts that tell the desktop about the new file type and entry.
set(CPACK_PACKAGE_NAME "tessel32")
set(CPACK_PACKAGE_VENDOR "Ostara")
set(CPACK_PACKAGE_VERSION "2.0.0")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Bathroom planner with the Ostara catalogue")
set(CPACK_PACKAGE_DESCRIPTION
    "Ostara Tessel draws the ground plan of a bathroom to scale (walls, corners, doors,\n"
    "windows, installation walls) and furnishes it with products of the Ostara catalogue\n"
    "at their true size. Plans are saved, printed to scale with the product list and\n"
    "exported as images.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGE_CONTACT "Ostara Tessel <tessel@ostara.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_GENERATOR "DEB")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "graphics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The engine is opened by name at run time, so no library names it: the package does.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_SOURCE_DIR}/app/desktop/debian/postinst"
                                       "${CMAKE_SOURCE_DIR}/app/desktop/debian/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

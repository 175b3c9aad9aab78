# The Debian package, made by CPack from what cmake/Install.cmake installs under /usr:
# quellon_<version>_amd64.deb (scripts/package.sh). Its dependencies are read from the
# binaries by dpkg-shlibdeps, so they follow the libraries the build really links.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quellon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quellon developers")
set(CPACK_PACKAGE_CONTACT "Quellon developers <dev@quellon.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn videos into movies for a small grey-level screen")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Quellon turns any video into movie files (.kql) for a 131 x 80 display with\n\
16 grey levels. Open a video, move through it, place a crop zone over the\n\
preview, tune brightness and contrast against a live converted preview, and\n\
capture frames into one movie file or a numbered series of them.\n\
.\n\
The companion command kqltool converts still pictures, draws movies as\n\
pictures, checks movie files and captures without a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The windows draw their captions in Liberation Sans Narrow, which no binary links to.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Packaging (and installing) needs what is installed, not the tests: nothing builds them on the way.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
include(CPack)

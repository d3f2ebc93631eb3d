# The Debian package: `cpack -G DEB` in the build folder (after the build)
# makes tavrilo_VERSION_ARCH.deb of what `cmake --install` installs, under
# /usr. dpkg-shlibdeps works out the libraries' packages from the programs
# and companion libraries; the packages they load by other means are named
# here: Mesa's EGL and its software driver (loaded by libEGL at run time),
# and the fonts that stand in for Arial.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavrilo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tavrilo")
set(CPACK_PACKAGE_CONTACT "Tavrilo maintainers <tavrilo@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "animated 3D charts for television and film")
set(CPACK_PACKAGE_DESCRIPTION
    "Tavrilo turns a small table of numbers into an animated three-dimensional chart,\n\
previews it in real time and renders it to QuickTime, AVI, DPS and RTV movies at\n\
exact NTSC, PAL and film rates. tavrilo is the show editor; tavrilo-render renders\n\
shows to movies and pictures without a display.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libegl-mesa0, libgl1-mesa-dri, fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
# Debian installs programs stripped; the debugging information stays in
# the build tree.
set(CPACK_STRIP_FILES TRUE)
include(CPack)

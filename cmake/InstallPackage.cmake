# `cpack` in a build tree makes a Debian package of what the install rules lay
# down, for the /usr prefix.
set(VELKARN_PACKAGE_MAINTAINER "Velkarn maintainers <maintainers@velkarn.invalid>" CACHE STRING
    "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velkarn)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuration utility for a USB gaming keyboard")
set(CPACK_PACKAGE_DESCRIPTION
    "Remaps keys, records and edits macros, sets lighting effects and per-key colours, switches the\
 keyboard's onboard profiles and saves profile files. Lives in the system tray. Ships the\
 service library for the real keyboard (hidraw) with its udev access rule, and a simulated keyboard.")
set(CPACK_PACKAGE_CONTACT "${VELKARN_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VELKARN_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The autostart entry has an absolute destination (/etc/xdg/autostart); only
# an install into a staging DESTDIR keeps it inside the package.
set(CPACK_SET_DESTDIR ON)
# The Qt platform plugins are a package of their own and no library links
# them, so no tool finds them; without them the program cannot open a window.
# dpkg-shlibdeps, where present, adds the libraries with their versions.
find_program(_shlibdeps dpkg-shlibdeps)
if(_shlibdeps)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS
        "libqt6core6 (>= 6.2), libqt6gui6 (>= 6.2), libqt6widgets6 (>= 6.2), qt6-qpa-plugins, libhidapi-hidraw0, libudev1")
endif()
# The autostart entry lies under /etc: an administrator's edits survive updates.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/postinst
    ${PROJECT_SOURCE_DIR}/cmake/debian/postrm ${PROJECT_SOURCE_DIR}/cmake/debian/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

# Installation and the Debian package. `cmake --install` puts the program, its
# menu entry and its icon where a desktop finds them; `cpack -G DEB` wraps the
# same files and lets dpkg-shlibdeps work out which Qt and QCustomPlot
# packages the binary needs, so the package follows whichever Qt it was built
# with.
include(GNUInstallDirs)

install(TARGETS quarnel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/quarnel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 24 32 48 64 128 256)
    install(FILES resources/icons/quarnel-${size}.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
        RENAME quarnel.png)
endforeach()

set(CPACK_PACKAGE_NAME quarnel)
set(CPACK_PACKAGE_VENDOR "Quarnel developers")
set(CPACK_PACKAGE_CONTACT "Quarnel developers <quarnel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "lecture demonstration: a time signal built from its spectrum")
set(CPACK_PACKAGE_DESCRIPTION
    "Quarnel shows a lecture audience how a time signal is built from its spectrum. "
    "The lecturer picks a discrete or continuous spectrum, shapes it with spin boxes "
    "or with the mouse, and the signal is redrawn at once. Russian interface, full screen.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# No maintainer scripts: the target system's desktop-database and icon-cache
# triggers pick up the new files by themselves.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# "Звук" speaks to PulseAudio or PipeWire's PulseAudio server through
# libpulse, which shlibdeps finds like the Qt libraries.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse")
include(CPack)

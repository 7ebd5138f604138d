# SPDX-License-Identifier: GPL-3.0-or-later
#
# Installation and the Debian package. `cmake --install` puts the program, its
# menu entry, its icon, its AppStream metainfo, its manual pages and its
# copyright and changelog where a desktop, a software centre, man and Debian
# find them; `cpack -G DEB` wraps the same files and lets dpkg-shlibdeps work
# out which Qt and QCustomPlot packages the binary needs, so the package
# follows whichever Qt it was built with.
#
# The AppStream id is org.quarnel.quarnel (reverse DNS, lower case as
# appstreamcli prefers); the menu entry is installed under that id, while the
# program, the icon and the package keep the name quarnel.
include(GNUInstallDirs)

set(QUARNEL_APP_ID org.quarnel.quarnel)

# Debian's hardening: relocations read-only and bound at start (lintian
# hardening-no-bindnow); position independence is the compilers' default.
target_link_options(quarnel PRIVATE LINKER:-z,relro LINKER:-z,now)
install(TARGETS quarnel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Like dh_strip, drop the compilers' version notes (lintian
# binary-has-unneeded-section); CPack strips the symbols afterwards.
install(CODE "execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/quarnel\" COMMAND_ERROR_IS_FATAL ANY)")
install(FILES packaging/${QUARNEL_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/${QUARNEL_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 24 32 48 64 128 256)
    install(FILES resources/icons/quarnel-${size}.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
        RENAME quarnel.png)
endforeach()

# The manual pages and the changelog go in compressed as Debian wants them:
# gzip -9n, maximal compression and no name or time stamp in the header, so
# the same sources give the same bytes.
set(quarnel_gz_dir ${PROJECT_BINARY_DIR}/packaging)
set(quarnel_gz_files)
foreach(pair "quarnel.1:man/quarnel.1" "quarnel.ru.1:man/ru/quarnel.1" "changelog:changelog")
    string(REPLACE ":" ";" pair "${pair}")
    list(GET pair 0 source)
    list(GET pair 1 target)
    get_filename_component(target_dir ${quarnel_gz_dir}/${target} DIRECTORY)
    add_custom_command(OUTPUT ${quarnel_gz_dir}/${target}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${target_dir}
        COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/${source} > ${quarnel_gz_dir}/${target}.gz
        DEPENDS ${PROJECT_SOURCE_DIR}/packaging/${source}
        VERBATIM)
    list(APPEND quarnel_gz_files ${quarnel_gz_dir}/${target}.gz)
endforeach()
add_custom_target(quarnel_packaging_files ALL DEPENDS ${quarnel_gz_files})
install(FILES ${quarnel_gz_dir}/man/quarnel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${quarnel_gz_dir}/man/ru/quarnel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/ru/man1)
install(FILES ${quarnel_gz_dir}/changelog.gz packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME quarnel)
set(CPACK_PACKAGE_VENDOR "Quarnel developers")
set(CPACK_PACKAGE_CONTACT "Quarnel developers <quarnel-dev@quarnel.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "lecture demonstration: a time signal built from its spectrum")
# Debian's lines of the long description are at most 80 characters.
# CPack puts the summary above it as the first line.
set(CPACK_PACKAGE_DESCRIPTION
    "Quarnel shows a lecture audience how a time signal is built from its
spectrum. The lecturer picks a discrete or a continuous spectrum, shapes it
with spin boxes or with the mouse, and the signal is redrawn at once; the
signal can also be heard. Russian interface, full screen.")
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

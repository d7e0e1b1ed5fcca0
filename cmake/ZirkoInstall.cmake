# Install rules and the Debian package: the two programs, the menu entry, the file type, the
# icon, the AppStream metainfo and the manual pages.
include(GNUInstallDirs)

set(ZIRKO_APP_ID "org.zirko.Zirko")
set(ZIRKO_HOMEPAGE "https://zirko.org/" CACHE STRING "The project's home page")
set(ZIRKO_MAINTAINER "ZIRKO desktop developers <zirko@zirko.org>" CACHE STRING
    "The package maintainer")
set(ZIRKO_DEB_RELEASE 1)
set(ZIRKO_DEB_VERSION "${PROJECT_VERSION}-${ZIRKO_DEB_RELEASE}")

set(data ${PROJECT_SOURCE_DIR}/data)
set(gen ${PROJECT_BINARY_DIR}/data)
file(MAKE_DIRECTORY ${gen})

configure_file(${data}/${ZIRKO_APP_ID}.metainfo.xml.in ${gen}/${ZIRKO_APP_ID}.metainfo.xml @ONLY)
configure_file(${data}/zirko.1.in ${gen}/zirko.1 @ONLY)
configure_file(${data}/copyright ${gen}/copyright @ONLY)
configure_file(${data}/changelog.Debian.in ${gen}/changelog.Debian @ONLY)

# Manual pages and the Debian changelog go in compressed, without a time stamp, as Debian wants.
find_program(ZIRKO_GZIP gzip REQUIRED)
find_program(ZIRKO_RSVG rsvg-convert REQUIRED)
add_custom_command(OUTPUT ${gen}/zirko-cli.1
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:zirko-cli> --help-man
        > ${gen}/zirko-cli.1
    DEPENDS zirko-cli zirko-cli-full
    COMMENT "Writing the manual page zirko-cli(1) from the command tables")
set(zirko_generated ${gen}/zirko-cli.1)
foreach(page zirko.1 zirko-cli.1 changelog.Debian)
    add_custom_command(OUTPUT ${gen}/${page}.gz
        COMMAND ${ZIRKO_GZIP} -9nc ${gen}/${page} > ${gen}/${page}.gz
        DEPENDS ${gen}/${page})
    list(APPEND zirko_generated ${gen}/${page}.gz)
endforeach()

set(ZIRKO_ICON_SIZES 16 22 24 32 48 64 128 256)
foreach(size ${ZIRKO_ICON_SIZES})
    set(png ${gen}/icons/${size}x${size}/${ZIRKO_APP_ID}.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${gen}/icons/${size}x${size}
        COMMAND ${ZIRKO_RSVG} -w ${size} -h ${size} ${data}/zirko.svg -o ${png}
        DEPENDS ${data}/zirko.svg)
    list(APPEND zirko_generated ${png})
endforeach()
add_custom_target(zirko_install_data ALL DEPENDS ${zirko_generated})

install(TARGETS zirko zirko-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS zirko-cli-full RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/zirko)
install(FILES ${data}/${ZIRKO_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${gen}/${ZIRKO_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${data}/zirko-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
    RENAME zirko.xml)
install(FILES ${data}/zirko.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
    RENAME ${ZIRKO_APP_ID}.svg)
foreach(size ${ZIRKO_ICON_SIZES})
    install(FILES ${gen}/icons/${size}x${size}/${ZIRKO_APP_ID}.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${gen}/zirko.1.gz ${gen}/zirko-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${gen}/copyright ${gen}/changelog.Debian.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zirko)

# The Debian package: `cpack -G DEB` in the build folder (make package).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zirko)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${ZIRKO_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "companion program of a flight data logger for RC models")
# CPack puts the summary first and indents these lines; an empty line separates paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "ZIRKO desktop downloads the flights recorded by a ZIRKO flight data logger
over its serial link, keeps them as flight data files in a folder tree and
draws many flights at once on one chart: altitude, receiver signal, voltage
and the auxiliary channels.

The package holds the program zirko and the headless tool zirko-cli, which
converts flight files, talks to a logger and draws charts as pictures.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ZIRKO_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${ZIRKO_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_RELEASE ${ZIRKO_DEB_RELEASE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The logbook index loads the SQLite driver as a plugin, which no library dependency names.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
include(CPack)

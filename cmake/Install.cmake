# Installation into the system's directories, and the Debian package made
# from it by CPack (cpack -G DEB in the build directory, or the target
# "package"). Only the program's runtime is installed: the executable, the
# database scripts, the desktop entry, icons, AppStream metadata, the user
# guide and the README; never the library, the tests or the benchmarks.
include(GNUInstallDirs)

set(KLOV_APP_ID jp.klov.Klov)
set(KLOV_DATADIR ${CMAKE_INSTALL_DATADIR}/klov)
set(KLOV_DIST ${CMAKE_SOURCE_DIR}/dist)

# The PNG icon is drawn from the SVG at build time; the windows of the
# running program show it (a Qt resource: Qt reads PNG without plugins).
find_program(KLOV_RSVG_CONVERT rsvg-convert REQUIRED
             DOC "rsvg-convert from librsvg2-bin, draws the PNG icon")
set(KLOV_ICON_PNG ${CMAKE_BINARY_DIR}/icons/${KLOV_APP_ID}.png)
add_custom_command(OUTPUT ${KLOV_ICON_PNG}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons
  COMMAND ${KLOV_RSVG_CONVERT} -w 128 -h 128 -o ${KLOV_ICON_PNG} ${KLOV_DIST}/${KLOV_APP_ID}.svg
  DEPENDS ${KLOV_DIST}/${KLOV_APP_ID}.svg
  COMMENT "Drawing the 128x128 icon")
qt_add_resources(klov klov_icon PREFIX /icons BASE ${CMAKE_BINARY_DIR}/icons FILES ${KLOV_ICON_PNG})

# The user guide next to the built program, where CommonU::HelpFile finds it
# in a development run.
configure_file(${CMAKE_SOURCE_DIR}/docs/help/index.html ${CMAKE_BINARY_DIR}/help/index.html COPYONLY)

install(TARGETS klov RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS ${CMAKE_SOURCE_DIR}/scripts/upgrade-db.sh
        DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME klov-upgrade-db)
install(FILES ${CMAKE_SOURCE_DIR}/db/schema.sql ${CMAKE_SOURCE_DIR}/db/upgrade.sql
              ${CMAKE_SOURCE_DIR}/db/qarn.sql ${CMAKE_SOURCE_DIR}/db/demo.sql
        DESTINATION ${KLOV_DATADIR}/sql)
install(FILES ${CMAKE_SOURCE_DIR}/docs/help/index.html DESTINATION ${KLOV_DATADIR}/help)
install(FILES ${KLOV_DIST}/${KLOV_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KLOV_DIST}/${KLOV_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${KLOV_DIST}/${KLOV_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${KLOV_ICON_PNG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps)
# Debian keeps a package's documents under its own name.
install(FILES ${KLOV_DIST}/README DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/klov)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME klov)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "discharge summary writing for hospital wards (退院サマリ作成支援システム)")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "KLOV developers <klov@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "KLOV supports hospital wards in writing discharge summaries: patients with
their diseases, operations, allergies and devices; summaries with versions
and three stages (writing complete, approval, completion check); A4
printing; CSV exports; internal messages; maintenance; backup and restore.
Every workstation shares one PostgreSQL database.")
# The libraries by dpkg-shlibdeps; besides them the fonts the prints are
# drawn with, pg_dump/pg_restore for backup and restore (psql for
# klov-upgrade-db), and Qt's Japanese texts. The X11 and offscreen platform
# plugins come with libqt6gui6 in Debian 12; Wayland needs qt6-wayland.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-ipafont-gothic, fonts-ipafont-mincho, postgresql-client, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
include(CPack)

# What `make install` and the Debian package (`make package`) put in place,
# the same tree under any prefix:
#   bin/vok
#   share/vok/reports/*.rpt                 found from bin/ as ../share/vok/reports
#   share/applications/vok.desktop
#   share/metainfo/ro.mecanizare.vok.metainfo.xml
#   share/icons/hicolor/{scalable,48x48,256x256}/apps/vok.{svg,png}
#   share/man/man1/vok.1.gz
#   share/doc/vok/{copyright,changelog.gz,README.md,*.md}
include(GNUInstallDirs)
# Installing and packaging build what is installed (the Makefile names those
# targets), not the tests and benchmarks as well.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

set(VOK_DIST ${CMAKE_SOURCE_DIR}/dist)

# The manual page and the changelog go compressed, as Debian wants them.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(VOK_MAN_GZ ${CMAKE_BINARY_DIR}/dist/vok.1.gz)
set(VOK_CHANGELOG_GZ ${CMAKE_BINARY_DIR}/dist/changelog.gz)
add_custom_command(OUTPUT ${VOK_MAN_GZ}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/dist
  COMMAND ${GZIP_PROGRAM} -9 -n -c ${VOK_DIST}/vok.1 > ${VOK_MAN_GZ}
  DEPENDS ${VOK_DIST}/vok.1 VERBATIM)
add_custom_command(OUTPUT ${VOK_CHANGELOG_GZ}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/dist
  COMMAND ${GZIP_PROGRAM} -9 -n -c ${VOK_DIST}/changelog > ${VOK_CHANGELOG_GZ}
  DEPENDS ${VOK_DIST}/changelog VERBATIM)
add_custom_target(vok_dist ALL DEPENDS ${VOK_MAN_GZ} ${VOK_CHANGELOG_GZ})

install(TARGETS vok RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY reports/ DESTINATION ${CMAKE_INSTALL_DATADIR}/vok/reports FILES_MATCHING PATTERN "*.rpt")
install(FILES ${VOK_DIST}/vok.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VOK_DIST}/ro.mecanizare.vok.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The PNGs are rendered from vok.svg: rsvg-convert -w N -h N vok.svg -o vok-N.png
install(FILES ${VOK_DIST}/icons/vok.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 256)
  install(FILES ${VOK_DIST}/icons/vok-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME vok.png)
endforeach()
install(FILES ${VOK_MAN_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${VOK_DIST}/copyright ${VOK_CHANGELOG_GZ} README.md docs/DEPLOYMENT.md docs/REPORTS.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vok)

# The Debian package: `cpack -G DEB` in a Release build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vok)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "trip sheets, normed fuel consumption and monthly V.O.K. of a vehicle fleet")
# The synopsis is the summary above; these lines follow it (an empty line
# separates paragraphs).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "MECANIZARE - VOK is the program of a company's vehicle-fleet department.
The fleet clerk types the paper trip sheets of each vehicle; the program
computes each trip's normed fuel and oil consumption, records the fuel and
oil received, closes every month of every vehicle into the daily activity
sheet (V.O.K.) with the fuel left in the tank carried over, and prints
monthly, annual and fleet reports. Its windows speak Romanian.

The data live in a local SQLite database or in a shared PostgreSQL one;
reports can also be written from the command line, without a display.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "MECANIZARE <mecanizare@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Libraries the executable links come from dpkg-shlibdeps; what Qt loads as
# plugins does not show there: the SQLite driver and the window-system plugins.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-qpa-plugins")
# Packages the program uses when they are there, one entry each:
#   libqt6sql6-psql   a shared database on a PostgreSQL server (--database)
#   mdbtools          the import of the former program's Access files (--import-mdb)
set(VOK_DEB_RECOMMENDS
  libqt6sql6-psql
  mdbtools
)
list(JOIN VOK_DEB_RECOMMENDS ", " CPACK_DEBIAN_PACKAGE_RECOMMENDS)
include(CPack)

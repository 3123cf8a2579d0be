# Installing and packaging. `cmake --install` puts the program where a desktop finds it (the
# programs, the background picture, a menu entry, icons, AppStream metadata, man pages), and
# CPack makes a Debian package of exactly that: `cpack -G DEB` in the build folder, or
# `./run package`.
include(GNUInstallDirs)

# The AppStream id; the desktop file and the metainfo file in packaging/ are named after it.
set(TESSALINE_APP_ID "com.example.tessaline")
set(TESSALINE_PACKAGE_MAINTAINER "Tessaline developers <tessaline@example.com>"
    CACHE STRING "The Maintainer field of the Debian package")

set(tessaline_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(tessaline_generated ${PROJECT_BINARY_DIR}/packaging)

# The folders an installation makes get the usual modes, whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS tessaline tessaline-makedb RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The main window's background picture. On Windows it stays beside the program; elsewhere
# programs and data are kept apart, and the program finds it in share/tessaline.
if(WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/app/MDI.BMP DESTINATION ${CMAKE_INSTALL_BINDIR})
else()
  install(FILES ${PROJECT_SOURCE_DIR}/app/MDI.BMP DESTINATION ${CMAKE_INSTALL_DATADIR}/tessaline)
endif()

if(UNIX AND NOT APPLE)
  install(FILES ${tessaline_packaging}/${TESSALINE_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${tessaline_packaging}/${TESSALINE_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${tessaline_packaging}/icons/tessaline.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 48 256)
    install(FILES ${tessaline_packaging}/icons/tessaline-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME tessaline.png)
  endforeach()

  # Man pages and the changelog go compressed, as gzip -9n makes them: the same bytes at
  # every build (no file name, no time stamp).
  find_program(TESSALINE_GZIP gzip REQUIRED)
  set(compressed)
  foreach(source man/tessaline.1 man/tessaline-makedb.1 changelog)
    get_filename_component(name ${source} NAME)
    add_custom_command(
      OUTPUT ${tessaline_generated}/${name}.gz
      COMMAND ${CMAKE_COMMAND} -E copy ${tessaline_packaging}/${source} ${tessaline_generated}/${name}
      COMMAND ${TESSALINE_GZIP} -9nf ${tessaline_generated}/${name}
      DEPENDS ${tessaline_packaging}/${source}
      COMMENT "Compressing ${name}"
      VERBATIM)
    list(APPEND compressed ${tessaline_generated}/${name}.gz)
  endforeach()
  add_custom_target(tessaline_packaging_files ALL DEPENDS ${compressed})

  install(FILES ${tessaline_generated}/tessaline.1.gz ${tessaline_generated}/tessaline-makedb.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${tessaline_packaging}/copyright ${tessaline_generated}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tessaline)
endif()

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaline)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tessaline developers")
set(CPACK_PACKAGE_CONTACT ${TESSALINE_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_HOMEPAGE_URL "https://tessaline.example.com/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "finance office client for pre-numbered bills and bill books")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TESSALINE_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# The libraries the programs link come from dpkg-shlibdeps; these are loaded at run time
# (Qt's SQL drivers, the ODBC driver manager and FreeTDS's driver), or are data the program
# looks for (the fonts its windows name, Qt's Chinese translations).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6sql6-sqlite, libqt6sql6-odbc, unixodbc, tdsodbc, fonts-arphic-uming, fonts-wqy-zenhei, qt6-translations-l10n")
# tsql, to try a server by hand; wmctrl, to bring the suite's launcher forward on log-off.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "freetds-bin, wmctrl")
# The synopsis is the summary above; this is the extended description below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tessaline is the desktop client of a finance office that keeps pre-numbered
bills (receipts and invoices) in bill books, in a SQL Server database shared
with the rest of its suite. An operator signs in, chooses a post, registers
electronic invoice numbers into yearly books, sees the usage of the books his
department holds, undoes a book's write-off, applies for and approves the
restoration of voided bills, and prints or exports the report of voided bills.
Its windows are in Chinese.
.
tessaline-makedb writes the connection settings and creates demo databases.")

# A source package never takes build folders, the demo or the repository along.
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/" "/\\\\.demo/" "\\\\.user$")

include(CPack)

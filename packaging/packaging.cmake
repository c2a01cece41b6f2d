# Installed layout and the two Debian packages built from one build by CPack's DEB generator:
#   zrt02600-server  the application server as a systemd service of its own user
#   zrt-desktop      the host, the module and the in-house libraries, with a menu entry
# `cpack -G DEB` in the build folder (scripts/package.sh) writes both.
set(ZRT_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
set(ZRT_DEB_RELEASE 1)

# The changelog and the manual pages travel compressed, without a timestamp, so two builds give
# the same file.
find_program(ZRT_GZIP gzip REQUIRED)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
function(zrt_gzip source target)
  execute_process(COMMAND ${ZRT_GZIP} -9nc ${source} OUTPUT_FILE ${target} COMMAND_ERROR_IS_FATAL ANY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()
set(ZRT_CHANGELOG_GZ ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.gz)
zrt_gzip(${ZRT_PACKAGING_DIR}/changelog ${ZRT_CHANGELOG_GZ})
zrt_gzip(${ZRT_PACKAGING_DIR}/man/zrt02600-server.1 ${CMAKE_BINARY_DIR}/packaging/zrt02600-server.1.gz)
zrt_gzip(${ZRT_PACKAGING_DIR}/man/zrt-host.1 ${CMAKE_BINARY_DIR}/packaging/zrt-host.1.gz)

set(ZRT_SERVER_PACKAGE zrt02600-server)
set(ZRT_DESKTOP_PACKAGE zrt-desktop)

# The service: its unit, its configuration (a conffile) and its manual page.
install(FILES ${ZRT_PACKAGING_DIR}/zrt02600-server.service DESTINATION /lib/systemd/system COMPONENT server)
install(FILES ${ZRT_PACKAGING_DIR}/server.conf DESTINATION /etc/zrt02600 COMPONENT server)
install(FILES ${CMAKE_BINARY_DIR}/packaging/zrt02600-server.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT server)
# The desktop: its menu entry, icon and manual page.
install(FILES ${ZRT_PACKAGING_DIR}/zrt-desktop.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications
  COMPONENT desktop)
install(FILES ${ZRT_PACKAGING_DIR}/zrt-desktop.svg DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps
  COMPONENT desktop)
install(FILES ${CMAKE_BINARY_DIR}/packaging/zrt-host.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT desktop)
# Each package: copyright, changelog and the lintian overrides, each override with its reason.
foreach(component server desktop)
  string(TOUPPER ${component} upper)
  install(FILES ${ZRT_PACKAGING_DIR}/copyright ${ZRT_CHANGELOG_GZ}
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${ZRT_${upper}_PACKAGE} COMPONENT ${component})
  install(FILES ${ZRT_PACKAGING_DIR}/${component}/lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME ${ZRT_${upper}_PACKAGE} COMPONENT ${component})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zrt02600)
set(CPACK_PACKAGE_VENDOR "Equipe ZRT02600")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL server desktop)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${ZRT_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SOURCE zrt02600)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Equipe ZRT02600 <zrt02600@example.com>")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://zrt02600.example.com/")
# Depends from the ELF files themselves; the private folder holds the desktop's own libraries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS usr/${ZRT_PRIVATE_LIBDIR})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)

set(CPACK_DEBIAN_SERVER_PACKAGE_NAME ${ZRT_SERVER_PACKAGE})
set(CPACK_DEBIAN_SERVER_PACKAGE_SECTION net)
# Loaded at run time, out of dpkg-shlibdeps' sight: the Qt SQL drivers; adduser for postinst.
set(CPACK_DEBIAN_SERVER_PACKAGE_DEPENDS "adduser, libqt6sql6-sqlite, libqt6sql6-psql")
set(CPACK_COMPONENT_SERVER_DESCRIPTION
  "application server of the equipment utilisation sheet
zrt02600-server answers the desktop's calls over HTTP/JSON-RPC from the
plant's database (SQLite or PostgreSQL). Installed as the systemd service
zrt02600-server, run by its own system user, configured in
/etc/zrt02600/server.conf.")
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_EXTRA
  "${ZRT_PACKAGING_DIR}/server/conffiles;${ZRT_PACKAGING_DIR}/server/postinst;${ZRT_PACKAGING_DIR}/server/prerm;${ZRT_PACKAGING_DIR}/server/postrm")

set(CPACK_DEBIAN_DESKTOP_PACKAGE_NAME ${ZRT_DESKTOP_PACKAGE})
set(CPACK_DEBIAN_DESKTOP_PACKAGE_SECTION misc)
# The SQL drivers and the SVG icon plugins are loaded at run time, out of dpkg-shlibdeps' sight.
set(CPACK_DEBIAN_DESKTOP_PACKAGE_DEPENDS "libqt6sql6-sqlite, libqt6sql6-psql, libqt6svg6")
set(CPACK_COMPONENT_DESKTOP_DESCRIPTION
  "desktop of the equipment utilisation sheet
zrt-host opens the sheet of equipment utilisation in production: the
orders booked on each machine by day, week, month and year, and the free
hours of the plant. It reads the plant's database and calls the
application server (package zrt02600-server).")

include(CPack)

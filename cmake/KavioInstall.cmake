# Install rules (`cmake --install`) and the Debian package (`cpack`, scripts/package.sh).
include(GNUInstallDirs)

set(KAVIO_APP_ID de.kaviosegment.KavioSegment)
set(KAVIO_PACKAGE_NAME kaviosegment)
set(KAVIO_MAINTAINER "KavioSegment developers <support@kaviosegment.example>")
# The day of this version, for the AppStream release entry and the package changelog.
set(KAVIO_RELEASE_DATE 2026-12-06)
set(KAVIO_RELEASE_TIME "Sun, 06 Dec 2026 12:00:00 +0000")

# Debian looks for a package's copyright and changelog under its own name.
set(KAVIO_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/${KAVIO_PACKAGE_NAME})
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS KavioSegment kavio-device-sim kavio-demo-install RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The administrator's copy of a file onto the server, and the practice software's side of
# the GDT link for trying it (a Python 3 script, hence python3 below).
install(TARGETS kavio-migrate RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS tools/gdt/kavio-gdt-sim DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES resources/desktop/${KAVIO_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
configure_file(resources/desktop/${KAVIO_APP_ID}.metainfo.xml.in ${KAVIO_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/${KAVIO_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
install(DIRECTORY resources/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons)
install(FILES README.md docs/device.md packaging/copyright DESTINATION ${KAVIO_DOC_DIR})

# Manual pages and the changelog are installed compressed, without time stamps in the
# archives, as Debian wants them.
configure_file(packaging/changelog.in changelog @ONLY)
set(kavio_gzipped)
foreach(source ${PROJECT_SOURCE_DIR}/docs/man/KavioSegment.1 ${PROJECT_SOURCE_DIR}/docs/man/kavio-device-sim.1
               ${PROJECT_SOURCE_DIR}/docs/man/kavio-demo-install.1 ${PROJECT_SOURCE_DIR}/docs/man/kavio-migrate.1
               ${PROJECT_SOURCE_DIR}/docs/man/kavio-gdt-sim.1 ${PROJECT_BINARY_DIR}/changelog)
  get_filename_component(name ${source} NAME)
  set(target ${PROJECT_BINARY_DIR}/gz/${name}.gz)
  add_custom_command(OUTPUT ${target}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/gz
    COMMAND gzip -9nc ${source} > ${target}
    DEPENDS ${source})
  list(APPEND kavio_gzipped ${target})
endforeach()
add_custom_target(kavio_install_docs ALL DEPENDS ${kavio_gzipped})
install(FILES ${PROJECT_BINARY_DIR}/gz/KavioSegment.1.gz ${PROJECT_BINARY_DIR}/gz/kavio-device-sim.1.gz
              ${PROJECT_BINARY_DIR}/gz/kavio-demo-install.1.gz ${PROJECT_BINARY_DIR}/gz/kavio-migrate.1.gz
              ${PROJECT_BINARY_DIR}/gz/kavio-gdt-sim.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_BINARY_DIR}/gz/changelog.gz DESTINATION ${KAVIO_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${KAVIO_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR "KavioSegment developers")
set(CPACK_PACKAGE_CONTACT ${KAVIO_MAINTAINER})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "segmental bioelectrical impedance analysis for therapy practices")
set(CPACK_PACKAGE_DESCRIPTION
    "Workstation program for segmental bioelectrical impedance analysis (BIA).
For each person and limb segment it takes resistance and reactance at 5, 50
and 100 kHz from the measuring device on a serial line or from the keyboard,
stores a measurement before and after therapy, charts the course, compares
left and right limbs, prints, exports a person's history to Excel and HTML,
and backs its database up. Its windows are German.

It works beside a host BIA software, whose settings it reads from registry
export files and whose person database it takes persons from.

The package also holds the measuring-device simulator kavio-device-sim,
kavio-demo-install, which writes a demo installation of the host software,
kavio-gdt-sim, which plays the practice software of the GDT link, and
kavio-migrate, which copies a workstation's database onto a PostgreSQL server.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The linked libraries come from dpkg-shlibdeps; the plug-ins Qt loads at run time (the
# SQLite and PostgreSQL drivers, the X11 and Wayland platforms) are named here, and the
# interpreter of kavio-gdt-sim.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libqt6sql6-psql, qt6-qpa-plugins, python3")
# pg_dump and pg_restore save and restore the database on a server.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, postgresql-client")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "socat")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)

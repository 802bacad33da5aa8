# Installation and packages: a .tar.gz of the static release build and a
# .deb on Linux, a .zip holding VolumeSalvager.exe, the README and the
# license on Windows.
# Debian keeps a package's documents under its package name.
set(CMAKE_INSTALL_DOCDIR share/doc/volumesalvager)
include(GNUInstallDirs)

set(VS_MAINTAINER "the VolumeSalvager authors <authors@volumesalvager.example>")

if(WIN32)
  install(TARGETS VolumeSalvager RUNTIME DESTINATION .)
  install(FILES README.md LICENSE DESTINATION .)
  set(CPACK_GENERATOR ZIP)
else()
  # Debian's layout: a gzipped man page and changelog, and the license in
  # a machine-readable copyright file made from LICENSE.
  find_program(GZIP gzip REQUIRED)
  set(VS_DOCS ${CMAKE_CURRENT_BINARY_DIR}/docs)
  file(READ ${PROJECT_SOURCE_DIR}/LICENSE VS_LICENSE)
  string(REGEX REPLACE "\n$" "" VS_LICENSE "${VS_LICENSE}")
  string(REGEX REPLACE "\n\n" "\n.\n" VS_LICENSE "${VS_LICENSE}")
  string(REGEX REPLACE "\n" "\n " VS_LICENSE " ${VS_LICENSE}")
  file(WRITE ${VS_DOCS}/copyright
       "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
       "Upstream-Name: VolumeSalvager\n\n"
       "Files: *\nCopyright: 2026 the VolumeSalvager authors\nLicense: Expat\n${VS_LICENSE}\n")
  add_custom_command(
    OUTPUT ${VS_DOCS}/VolumeSalvager.1.gz ${VS_DOCS}/changelog.gz
    COMMAND ${GZIP} -9n -c ${PROJECT_SOURCE_DIR}/man/VolumeSalvager.1 > ${VS_DOCS}/VolumeSalvager.1.gz
    COMMAND ${GZIP} -9n -c ${PROJECT_SOURCE_DIR}/packaging/changelog > ${VS_DOCS}/changelog.gz
    DEPENDS man/VolumeSalvager.1 packaging/changelog
    VERBATIM)
  add_custom_target(vs_docs ALL DEPENDS ${VS_DOCS}/VolumeSalvager.1.gz ${VS_DOCS}/changelog.gz)

  install(TARGETS VolumeSalvager RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${VS_DOCS}/VolumeSalvager.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES README.md ${VS_DOCS}/copyright ${VS_DOCS}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DOCDIR})
  # The static build makes the .tar.gz, which runs on any distribution;
  # the .deb is Debian's own, linked against its libraries.
  if(VS_STATIC)
    install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
    set(CPACK_GENERATOR TGZ)
  else()
    set(CPACK_GENERATOR DEB)
  endif()
endif()

set(CPACK_PACKAGE_NAME volumesalvager)
set(CPACK_PACKAGE_VENDOR "the VolumeSalvager authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "repairs duplicated header fields in PGP disk volume trailers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VS_MAINTAINER}")
# The extended description; CPack puts the summary line before it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "VolumeSalvager looks only at the last 2048 bytes of a PGP disk volume file,
its trailer block. When the two 2-byte fields at offsets 4 and 8 of that
block are each stored twice, it asks for confirmation with a single key and
rewrites the block in place without the two copies. It never decrypts,
mounts or otherwise interprets the volume, and keeps no backup.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
if(WIN32)
  set(CPACK_PACKAGE_FILE_NAME VolumeSalvager-${PROJECT_VERSION}-windows-x64)
elseif(VS_STATIC)
  set(CPACK_PACKAGE_FILE_NAME VolumeSalvager-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR}-static)
endif()
include(CPack)

# Installation and packages: a .tar.gz and a .deb on Linux, a .zip holding
# VolumeSalvager.exe and the README on Windows.
include(GNUInstallDirs)

if(WIN32)
  install(TARGETS VolumeSalvager RUNTIME DESTINATION .)
  install(FILES README.md DESTINATION .)
  set(CPACK_GENERATOR ZIP)
else()
  install(TARGETS VolumeSalvager RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES man/VolumeSalvager.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
  set(CPACK_GENERATOR TGZ DEB)
endif()

set(CPACK_PACKAGE_NAME volumesalvager)
set(CPACK_PACKAGE_VENDOR "the VolumeSalvager authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Repairs duplicated header fields in the trailer block of PGP disk volume files")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "the VolumeSalvager authors")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
if(WIN32)
  set(CPACK_PACKAGE_FILE_NAME VolumeSalvager-${PROJECT_VERSION}-windows-x64)
endif()
include(CPack)

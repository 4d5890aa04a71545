# The Debian package (scripts/package.sh): everything `cmake --install` puts in place,
# plus the package's copyright and changelog. The library dependencies are computed by
# dpkg-shlibdeps from what the executable and the window library link.
set(dovrane_docdir ${CMAKE_INSTALL_DATADIR}/doc/dovrane-storage-analyzer)
install(FILES res/package/copyright DESTINATION ${dovrane_docdir})
set(dovrane_changelog ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${dovrane_changelog}
    COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/res/package/changelog > ${dovrane_changelog}
    DEPENDS ${CMAKE_SOURCE_DIR}/res/package/changelog VERBATIM)
add_custom_target(dovrane_changelog ALL DEPENDS ${dovrane_changelog})
install(FILES ${dovrane_changelog} DESTINATION ${dovrane_docdir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dovrane-storage-analyzer)
set(CPACK_PACKAGE_VENDOR "Dovrane Corporation")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "shows where the storage below a folder goes")
set(CPACK_PACKAGE_DESCRIPTION
    "Dovrane Storage Analyzer shows a pie of the sub-folders of any folder, through\n\
which the user walks down the tree, a pie by file type, an overview of memory,\n\
disk and storage cards, and a folder tree. From lists of the largest files, the\n\
files sharing a name and the files of a folder or a type, files are opened,\n\
inspected and deleted. The same figures are printed as text or JSON reports\n\
from the command line, without a display.")
set(CPACK_PACKAGE_CONTACT "Dovrane Corporation <support@dovrane.com>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.dovrane.com/storage-analyzer")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not libraries, so not computed: the face every window is drawn in.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wine")
# Help and Open hand files to the desktop through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
include(CPack)

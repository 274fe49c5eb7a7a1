# The Debian package: `cpack -G DEB` in the build folder. The dependencies
# on shared libraries are found by dpkg-shlibdeps; what the program loads by
# name rather than links is added by hand: the font its sheets measure text
# with and Qt's window-system plugins.
set(CPACK_PACKAGE_NAME brevanta)
set(CPACK_PACKAGE_VENDOR "The Brevanta developers")
set(CPACK_PACKAGE_CONTACT "The Brevanta developers <developers@brevanta.app>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://brevanta.app/")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "checkbook register that lays out a printable spreadsheet")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, qt6-qpa-plugins")
# CPack puts the summary above this as the synopsis line. No double quotes:
# they do not survive CPack's configuration file.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Brevanta keeps a checkbook register: type transactions (date, check number,
description, category, cleared mark, debit and credit) into one window,
where they collect in a list kept from one run to the next.
.
One click lays the list out as a formatted Check Register worksheet with a
running balance in every row and a page set-up that prints it on one
landscape page. A preview zooms and pans the sheet and saves the workbook
as an Excel 97-2003 (.xls) file.
.
The command brevanta-register builds the same workbook without windows,
from a saved list, a CSV file or example data.")

include(CPack)

# The Debian package (scripts/package): cpack -G DEB in a Release build.
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VENDOR Quillon)
set(CPACK_PACKAGE_CONTACT "Quillon <dev@quillon.example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop client of a hosted site-group building service")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillon keeps the material for a group of web sites in a local database (main
domains, sub-domain identifiers with site counts, company contact details,
material choices), mines long-tail keywords from Baidu's suggestion service and
related searches, uploads it all to the service, asks the service to generate
the sites of one identifier and shows the generated addresses. The interface is
in Chinese.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://quillon.example.com/")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What dependency scanning cannot see: plugins and data that Qt loads at run time, and the list of public
# suffixes that libpsl reads.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6sql6-sqlite, qt6-qpa-plugins, libqt6webenginecore6-bin, unixodbc, fonts-wqy-microhei | fonts-noto-cjk, qt6-translations-l10n, publicsuffix")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Directories 0755 whatever the builder's umask: a restrictive umask must not make the program unreadable.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)

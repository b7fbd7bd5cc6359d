# The Debian package: cpack -G DEB in the build folder makes telvora_VERSION_ARCH.deb of what
# cmake --install installs. Its dependencies are the shared libraries the program links,
# found by dpkg-shlibdeps, and the Qt plugins it loads at run time, which no link names.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME telvora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The first packaging of each version; resources/debian/changelog names the same.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_PACKAGE_CONTACT "The Telvora developers <telvora@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "phone book that dials through a telephone line")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Telvora keeps contacts in groups, with business, fax, mobile and home\n"
    "numbers for each, and dials them through a real telephone line: a SIP\n"
    "account, a voice modem or a cellular modem. A busy number is dialled\n"
    "again after a pause, up to the number of attempts set. tel:, callto:\n"
    "and sip: links from web pages and mails open in its quick-dial box.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TELVORA_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The phone book's SQL driver, the SVG icons' reader and the window system's platform are
# plugins, loaded by name.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libqt6svg6, qt6-qpa-plugins")
# Qt's own dialog buttons in the user's language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

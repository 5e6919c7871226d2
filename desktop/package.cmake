# The Debian package (cpack -G DEB): tools/package builds it from an optimised
# tree of its own. A sanitizer build offers no package.
if(MURVANE_SANITIZE)
  return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME murvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Murvane developers")
set(CPACK_PACKAGE_CONTACT "Murvane developers <murvane@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small calendar bar at the top of the screen")
set(CPACK_PACKAGE_DESCRIPTION
"Murvane is a borderless, always-on-top strip at the top-left corner of the
screen that shows the days of one month under their weekday labels. It slides
out of sight when the pointer leaves it and comes back when the pointer
touches the top of the screen. It marks Sundays, Saturdays, today, the user's
named days and days off, substitute holidays and days with a note; the notes
are written and listed from the bar itself. Its texts are Japanese.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # murvane_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/murvane/murvane)
# The libraries come from dpkg-shlibdeps; the fonts the bar and the dialogs
# draw with are no library of it, nor libsecret, which QtKeychain loads at run
# time to reach the Secret Service.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, fonts-liberation, libsecret-1-0")
# Qt's own Japanese texts for its colour and file dialogs; English without them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")

include(CPack)

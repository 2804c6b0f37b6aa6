# SPDX-License-Identifier: GPL-3.0-or-later
# A Debian package of what the install rules put in place (`make package`).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varnelo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Varnelo developers")
set(CPACK_PACKAGE_CONTACT "Varnelo developers <varnelo@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION [[
Varnelo shows pupils how crude oil is separated by fractional
distillation: a scroll bar sets the temperature of the still, a picture
and a read-out show it, and a list of six oil fractions shows which are
drawn off. The program is in Bulgarian.]])
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps finds Qt and the C++ runtime from the binary. The fonts are not linked, so they are
# named here: the Bulgarian text needs a font with Cyrillic, and either Liberation package has one.
# Nor are Qt's own Bulgarian texts, which the program loads at start. No Qt plugin package is needed:
# Debian ships the xcb platform plugin in libqt6gui6 itself.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation | fonts-liberation2, qt6-translations-l10n")

include(CPack)

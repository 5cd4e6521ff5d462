# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package: `cpack -G DEB` in a build folder. Library dependencies come
# from the binary (dpkg-shlibdeps); what Qt loads at run time is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tamo)
set(CPACK_PACKAGE_VENDOR "The TAMO developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for an arranger keyboard's user sound files")
set(CPACK_PACKAGE_DESCRIPTION
    "TAMO prepares the user sound files of the Ketron SD1 arranger keyboard:
MSP multisamples, which map up to 64 WAV samples over the keys with their
volume, envelope, filter and pitch settings, and USD drum-kit and USV
user-voice banks, whose entries it copies from one bank to another.")
set(CPACK_PACKAGE_CONTACT "TAMO developers <tamo@users.noreply.github.com>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The platform plugins (xcb) are loaded by name, so no library check finds them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Sound for playback, the fallback fonts the window layouts are measured with, and
# Qt's own texts (the standard buttons) in the user's language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, fonts-dejavu-core, fonts-dejavu-extra, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)

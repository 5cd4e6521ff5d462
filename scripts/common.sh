# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the start and test scripts.
BUILD_PACKAGES=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools
  qt6-tools-dev qt6-l10n-tools
  qt6-multimedia-dev qt6-qpa-plugins libqt6opengl6-dev libgl-dev fonts-dejavu-core fonts-dejavu-extra
  libsndfile1-dev libsoxr-dev fonts-wine librtmidi-dev)
# The Multimedia backend and what it needs to make sound at run time; Qt's own
# texts (the standard buttons) in the user's language.
RUNTIME_PACKAGES=(libqt6multimedia6 qt6-multimedia-dev gstreamer1.0-plugins-base
  gstreamer1.0-plugins-good qt6-translations-l10n)
# What `cpack` needs to make the Debian package (dpkg-shlibdeps, file).
PACKAGE_PACKAGES=(dpkg-dev file)
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
JOBS=$(nproc 2>/dev/null || echo 2)

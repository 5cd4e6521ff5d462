#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package of TAMO (an optimised build) and prints its path.
# Install it with: sudo apt-get install ./build-package/tamo_*.deb
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
bash "$ROOT/scripts/deps.sh" "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}" >&2
cmake -S "$ROOT" -B "$ROOT/build-package" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DTAMO_BUILD_TESTS=OFF -DTAMO_BUILD_BENCH=OFF >&2
cmake --build "$ROOT/build-package" -j "$JOBS" >&2
(cd "$ROOT/build-package" && rm -f tamo_*.deb && cpack >&2)
ls "$ROOT"/build-package/tamo_*.deb

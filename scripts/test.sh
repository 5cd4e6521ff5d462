#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds TAMO with warnings as errors and runs every test: the fuzz targets for a
# bounded time, the suite under AddressSanitizer + UndefinedBehaviorSanitizer, then
# the plain suite, whose CTest summary closes the output.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
TEST_PACKAGES=(pulseaudio pulseaudio-utils jackd2 sox libsox-fmt-base sndfile-programs xvfb xauth xdotool
  x11-utils imagemagick python3 clang libclang-rt-14-dev
  lintian desktop-file-utils appstream shared-mime-info libglib2.0-bin
  polyphone timgm6mb-soundfont fluid-soundfont-gm musescore-general-soundfont-small hydrogen-drumkits espeak-ng
  fluidsynth)
bash "$ROOT/scripts/deps.sh" "${BUILD_PACKAGES[@]}" "${RUNTIME_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}" \
  "${TEST_PACKAGES[@]}"
export QT_QPA_PLATFORM=offscreen

cmake -S "$ROOT" -B "$ROOT/build-test" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAMO_WERROR=ON >/dev/null
cmake --build "$ROOT/build-test" -j "$JOBS"

if [ "${TAMO_SKIP_SANITIZERS:-0}" != 1 ]; then
  [ -x "$ROOT/scripts/fuzz.sh" ] && bash "$ROOT/scripts/fuzz.sh" "$ROOT/build-fuzz"

  cmake -S "$ROOT" -B "$ROOT/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAMO_WERROR=ON \
    -DTAMO_SANITIZE=ON -DTAMO_BUILD_BENCH=OFF >/dev/null
  cmake --build "$ROOT/build-asan" -j "$JOBS"
  echo "== Test suite under AddressSanitizer + UndefinedBehaviorSanitizer"
  ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:suppressions=$ROOT/scripts/asan.supp" \
  LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan.supp:print_suppressions=0" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    ctest --test-dir "$ROOT/build-asan" --output-on-failure -j "$JOBS"
fi

echo "== Test suite"
ctest --test-dir "$ROOT/build-test" --output-on-failure -j "$JOBS"

#!/usr/bin/env bash
# Builds TAMO with warnings as errors and runs every test.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
TEST_PACKAGES=(pulseaudio pulseaudio-utils sox libsox-fmt-base sndfile-programs xvfb xauth xdotool
  x11-utils imagemagick clang libclang-rt-14-dev)
bash "$ROOT/scripts/deps.sh" "${BUILD_PACKAGES[@]}" "${RUNTIME_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
export QT_QPA_PLATFORM=offscreen

cmake -S "$ROOT" -B "$ROOT/build-test" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAMO_WERROR=ON >/dev/null
cmake --build "$ROOT/build-test" -j "$JOBS"
ctest --test-dir "$ROOT/build-test" --output-on-failure -j "$JOBS"

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds TAMO and starts it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
bash "$ROOT/scripts/deps.sh" "${BUILD_PACKAGES[@]}" "${RUNTIME_PACKAGES[@]}"
cmake -S "$ROOT" -B "$ROOT/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTAMO_BUILD_TESTS=OFF -DTAMO_BUILD_BENCH=OFF >/dev/null
cmake --build "$ROOT/build" --target TAMO -j "$JOBS"
exec "$ROOT/build/src/app/TAMO"

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the screenshots in docs/screenshots afresh from the built program: the smoke
# test drives it under Xvfb with real X input and writes them there.
# Usage: scripts/screenshots.sh [<build folder>]   (default: build)
# Debian packages: xvfb, xdotool, imagemagick, python3.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
cmake --build "$build" --target TAMO
program=$(find "$build" -type f -name TAMO -perm -u+x | head -n1)
[[ -n $program ]] || { echo "no TAMO program under $build" >&2; exit 1; }
bash "$root/tests/smoke/smoke.sh" "$program" "$root" "$root/docs/screenshots"

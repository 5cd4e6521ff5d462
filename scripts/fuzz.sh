#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer,
# then runs each one for a bounded time on a copy of its seed corpus.
#
#   scripts/fuzz.sh [build folder]        (default: build-fuzz in the source tree)
#   FUZZ_SECONDS=60    time per target
#   FUZZ_TARGETS="fuzz_usd fuzz_usv"      only these targets (default: all)
#
# Fails when any target crashes, leaks, times out, runs out of memory or a
# sanitizer reports anything. Crash inputs are kept in <build>/fuzz-run/<target>/.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
BUILD=$(realpath -m "${1:-$ROOT/build-fuzz}")
FUZZ_SECONDS=${FUZZ_SECONDS:-60}
bash "$ROOT/scripts/deps.sh" "${BUILD_PACKAGES[@]}" "${RUNTIME_PACKAGES[@]}" clang libclang-rt-14-dev timgm6mb-soundfont

# Debug keeps Qt's own range assertions; -O1 keeps the runs fast enough to matter.
CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DTAMO_FUZZ=ON -DTAMO_SANITIZE=ON -DTAMO_BUILD_TESTS=OFF \
  -DTAMO_BUILD_BENCH=OFF -DTAMO_WERROR=ON >/dev/null
cmake --build "$BUILD" --target fuzzers -j "$JOBS"

CORPUS=$ROOT/tests/fuzz/corpus
RUN=$BUILD/fuzz-run
if [ -n "${FUZZ_TARGETS:-}" ]; then
  read -r -a targets <<<"$FUZZ_TARGETS"
else
  targets=()
  for exe in "$BUILD"/tests/fuzz/fuzz_*; do
    [ -x "$exe" ] && [ -f "$exe" ] && targets+=("$(basename "$exe")")
  done
fi
[ ${#targets[@]} -gt 0 ] || { echo "no fuzz targets built" >&2; exit 1; }

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Leaks of system libraries that Qt loads, not of this program.
export LSAN_OPTIONS=suppressions=$ROOT/tests/fuzz/lsan.supp:print_suppressions=0

# The panel target keeps caches of the window system between inputs, so a leak check
# after each input would cost a whole scan of the heap; its leaks are still caught by
# the check when the run ends.
per_input_leaks() {
  case "$1" in
    fuzz_wav_panel) echo 0 ;;
    *) echo 1 ;;
  esac
}

failed=()
report=()
for target in "${targets[@]}"; do
  exe=$BUILD/tests/fuzz/$target
  work=$RUN/$target
  rm -rf "$work"
  mkdir -p "$work/corpus"
  if [ -d "$CORPUS/$target" ]; then
    cp -r "$CORPUS/$target/." "$work/corpus/"
  fi
  # The SoundFont export road also starts from a real bank, copied at run time (no
  # sound of that material is kept in the repository).
  if [ "$target" = fuzz_sf2 ]; then
    cp /usr/share/sounds/sf2/TimGM6mb.sf2 "$work/corpus/"
  fi
  echo "== $target: ${FUZZ_SECONDS}s"
  start=$SECONDS
  status=0
  (cd "$work" && "$exe" -max_total_time="$FUZZ_SECONDS" -rss_limit_mb=2048 -timeout=10 \
    -print_final_stats=1 -detect_leaks="$(per_input_leaks "$target")" -artifact_prefix="$work/" \
    "$work/corpus") >"$work/log" 2>&1 || status=$?
  elapsed=$((SECONDS - start))
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n 1)
  artifacts=$(find "$work" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
    -o -name 'oom-*' \) | wc -l)
  if [ "$status" -ne 0 ] || [ "$artifacts" -ne 0 ] \
    || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:|SUMMARY: (Address|Undefined|Leak)' "$work/log"; then
    failed+=("$target")
    echo "FAILED ($status); log: $work/log"
    grep -E 'ERROR|runtime error|property failed|SUMMARY|Test unit written' "$work/log" | head -n 20 || true
  fi
  report+=("$(printf '%-16s %10s executions %6ss' "$target" "${runs:-?}" "$elapsed")")
done

echo
echo "Fuzz runs (${FUZZ_SECONDS}s each):"
printf '  %s\n' "${report[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "Failed: ${failed[*]}"
  exit 1
fi
echo "No crash, leak, timeout or sanitizer report."

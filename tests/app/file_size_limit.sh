#!/usr/bin/env bash
# The shipped program under a file-size limit smaller than the file it saves: the
# save must fail with a message while the program lives on, and the file must stay
# as it was. Without SIGXFSZ ignored at start, the write would end the program.
# Usage: file_size_limit.sh <TAMO program> <source folder>
# Exit status: 0 passed, 1 failed, 77 skipped (no Xvfb or xdotool).
set -u -o pipefail

tamo=$1
examples=$2/examples
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (Debian: xvfb, xdotool)"; exit 77; }
done

work=$(mktemp -d)
xvfb_pid='' tamo_pid=''
cleanup() {
    [[ -n $tamo_pid ]] && kill "$tamo_pid" 2>/dev/null
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; sed 's/^/  program: /' "$work/tamo.log" >&2 2>/dev/null; exit 1; }

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in {1..600}; do [[ -s $work/display ]] && break; sleep 0.1; done
[[ -s $work/display ]] || fail "Xvfb did not start"
export DISPLAY=:$(head -n1 "$work/display")
export XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$work/runtime"
mkdir "$work/files"
cp "$examples/SINES.MSP" "$work/files/"

# 1 KiB, less than the 2644 bytes of an MSP file; only the program runs under it.
(ulimit -f 1 && exec env QT_QPA_PLATFORM=xcb "$tamo" "$work/files/SINES.MSP") >"$work/tamo.log" 2>&1 &
tamo_pid=$!

# Waits up to a minute for a visible window of the program other than $1; fails at
# once when the program ends.
window_besides() {
    local id status
    for _ in {1..300}; do
        if ! kill -0 "$tamo_pid" 2>/dev/null; then
            wait "$tamo_pid"; status=$?; tamo_pid=''
            fail "the program ended with status $status while waiting for $2 (SIGXFSZ ends it with 153)"
        fi
        id=$(xdotool search --onlyvisible --pid "$tamo_pid" 2>/dev/null | grep -vx "$1" | head -n1)
        [[ -n $id ]] && { echo "$id"; return; }
        sleep 0.2
    done
    fail "$2 did not appear"
}

editor=$(window_besides none "the MSP editor") || exit 1
xdotool windowfocus --sync "$editor" key alt+f key s  # File > Save
window_besides "$editor" "the failed-save message" >/dev/null || exit 1
kill -0 "$tamo_pid" 2>/dev/null || fail "the program ended after the failed save"
cmp -s "$examples/SINES.MSP" "$work/files/SINES.MSP" || fail "the saved file changed"
[[ $(ls "$work/files") == SINES.MSP ]] || fail "files left beside it: $(ls "$work/files")"
echo "PASS: the save failed with a message, and the program lives on"

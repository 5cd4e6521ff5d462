#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Smoke test on real windows: the built program runs on a virtual X display and is
# driven with real X input, one editor per run, as a user would.
# Usage: smoke.sh <TAMO program> <source folder> [<screenshot folder>]
# Exit status: 0 passed, 1 failed, 77 skipped (no Xvfb or xdotool).
set -u -o pipefail

tamo=$1
examples=$2/examples
shots=${3:-$PWD/smoke-artifacts}

for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (Debian: xvfb, xdotool)"; exit 77; }
done
for tool in import python3; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is needed (Debian: imagemagick, python3)" >&2; exit 1; }
done
[[ -x $tamo ]] || { echo "FAIL: no program at $tamo" >&2; exit 1; }

work=$(mktemp -d)
mkdir -p "$shots"
xvfb_pid='' tamo_pid=''
cleanup() {
    [[ -n $tamo_pid ]] && kill "$tamo_pid" 2>/dev/null
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
# A window looked up in $(...) fails in a subshell: callers add "|| exit 1".
# The screen at a failure lands beside the screenshots, to see what was shown instead.
fail() {
    echo "FAIL: $*" >&2
    if [[ -n ${DISPLAY:-} ]]; then
        import -window root "$shots/failure.png" 2>/dev/null
        for id in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
            echo "  shown: $id '$(xdotool getwindowname "$id" 2>/dev/null)'" >&2
        done
    fi
    [[ -s $work/tamo.log ]] && sed 's/^/  program: /' "$work/tamo.log" >&2
    exit 1
}

# Every wait polls for what it waits for, for up to a minute: a loaded machine (a
# sanitizer build beside the tests) may take many seconds to show a window.
limit=60
# Runs the command until it succeeds, for up to $limit seconds.
poll() {
    local end=$((SECONDS + limit))
    until "$@"; do
        ((SECONDS < end)) || return 1
        sleep 0.1
    done
}

# Xvfb picks a free display itself and writes its number once it is ready.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
poll test -s "$work/display" || { cat "$work/xvfb.log" >&2; fail "Xvfb did not start"; }
export DISPLAY=:$(head -n1 "$work/display")
# Qt's settings and runtime files stay in the scratch folder.
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
# The windows show their design texts, whatever the machine's language.
export LC_ALL=C.UTF-8 LANGUAGE=
mkdir -m 700 "$work/runtime"

start() {
    QT_QPA_PLATFORM=xcb "$tamo" >"$work/tamo.log" 2>&1 &
    tamo_pid=$!
    menu=$(window '^Menu$') || exit 1
    shot launcher "$menu"
}

# Does "$2 ..." (a click or a key press) until window $1 shows, trying again every
# 5 s for up to $limit seconds: input that reaches the program while it still
# finishes the step before can be dropped, and a second try is then harmless.
# The window is "popup:W" for a pop-up of window W, or else a name to match.
opens() {
    local target=$1 end=$((SECONDS + limit)) id
    shift
    while ((SECONDS < end)); do
        "$@"
        if [[ $target == popup:* ]]; then
            id=$(limit=5 poll other_window "${target#popup:}") && { echo "$id"; return; }
        else
            id=$(timeout 5 xdotool search --sync --onlyvisible --name "$target" 2>/dev/null | head -n1)
            [[ -n $id ]] && { echo "$id"; return; }
        fi
    done
    return 1
}

# The id of the visible window whose name matches, waiting for it.
window() {
    local id
    id=$(timeout $limit xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -n1)
    [[ -n $id ]] || fail "no window named '$1' appeared"
    echo "$id"
}

# The program's visible window other than $1 (a pop-up or dialog), if any.
other_window() { xdotool search --onlyvisible --pid "$tamo_pid" 2>/dev/null | grep -vx "$1" | head -n1 | grep .; }

# Waits until window $1 is no longer shown.
not_shown() { ! xdotool search --onlyvisible --pid "$tamo_pid" 2>/dev/null | grep -qx "$1"; }
gone() {
    poll not_shown "$1" || fail "$2 is still shown"
}

# Sets X, Y, WIDTH and HEIGHT to the screen area of window $1.
geometry() { eval "$(xdotool getwindowgeometry --shell "$1")"; }

# Clicks at a design position in twips (15 a pixel) of window $1's client area,
# which starts below a menu bar of $4 pixels.
click() {
    geometry "$1"
    xdotool mousemove --sync $((X + $2 / 15)) $((Y + $4 + $3 / 15)) click 1
}

# The raw pixels of the screen area of window $1, into file $2.
pixels() {
    geometry "$1"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "rgb:$2" 2>/dev/null
}

# Whether window $1 looks different from the pixels in file $2: after a click, the
# program has drawn its answer.
changed() { pixels "$1" "$work/now.rgb" && ! cmp -s "$work/now.rgb" "$2"; }

# Screenshot of the screen area of window $2, where its pop-ups show too.
shot() {
    geometry "$2"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shots/$1.png" || fail "no screenshot $1"
}

# Types a full path into file dialog $1 and confirms it.
choose() {
    xdotool windowfocus --sync "$1" type --delay 5 "$2"
    xdotool key Return
    gone "$1" "the file dialog"
}

# Waits for the program to end by itself, with a zero exit status.
stopped() { local state; state=$(ps -o stat= -p "$tamo_pid"); [[ -z $state || $state == Z* ]]; }
ended() {
    local status
    poll stopped || fail "$1: the program is still running"
    wait "$tamo_pid"; status=$?; tamo_pid=''
    [[ $status == 0 ]] || fail "$1: the program ended with status $status"
}

# Asks window $1 to close, as a window manager's close button does (WM_DELETE_WINDOW).
close_window() {
    python3 - "$1" 2>/dev/null <<'EOF'
import ctypes as c, sys
x = c.CDLL("libX11.so.6")
x.XOpenDisplay.restype = c.c_void_p
x.XInternAtom.argtypes, x.XInternAtom.restype = [c.c_void_p, c.c_char_p, c.c_int], c.c_ulong
x.XSendEvent.argtypes = [c.c_void_p, c.c_ulong, c.c_int, c.c_long, c.c_void_p]
x.XFlush.argtypes = [c.c_void_p]
d, w = x.XOpenDisplay(None), int(sys.argv[1])
ev = (c.c_long * 24)()  # an XClientMessageEvent in the XEvent union, field by field
ev[0], ev[4], ev[6] = 33, w, 32  # ClientMessage, window, format
ev[5], ev[7] = x.XInternAtom(d, b"WM_PROTOCOLS", 0), x.XInternAtom(d, b"WM_DELETE_WINDOW", 0)
x.XSendEvent(d, w, 0, 0, ev)
x.XFlush(d)
EOF
}

# Run 1: Return on the launcher opens the MSP editor; open a file, edit two fields, quit
# without saving (N in the unsaved-changes question).
msp_caption='^   MSP Editor for KETRON SD1$'
start
editor=$(opens "$msp_caption" xdotool windowfocus --sync "$menu" key Return) || fail "the MSP editor did not appear"
gone "$menu" "the launcher"
geometry "$editor"
menubar=$((HEIGHT - 10830 / 15 - 330 / 15))  # the client area is 10830 twips high, the status bar 330
# Ctrl+E at once: the focus starts in a text field, whose own key (end of line
# under X) must not swallow the window's shortcut. The export asks for a folder first.
dialog=$(opens "popup:$editor" xdotool windowfocus --sync "$editor" key ctrl+e) || fail "Ctrl+E did not start the export"
xdotool windowfocus --sync "$dialog" key Escape
gone "$dialog" "the export's folder dialog"
# Shortcut keys: one key event each, where a menu opened by alt+f may not be shown
# yet when the next key arrives.
dialog=$(opens "popup:$editor" xdotool windowfocus --sync "$editor" key ctrl+o) || fail "the file dialog did not appear"
choose "$dialog" "$examples/SINES.MSP"
pixels "$editor" "$work/before.rgb" || fail "no screenshot before the selection"
click "$editor" 600 340 "$menubar"  # List1, first sample
poll changed "$editor" "$work/before.rgb" || fail "the first sample was not selected"
shot msp-editor "$editor"
# Text17, VOLUME
slider=$(opens "popup:$editor" click "$editor" 2767 7507 "$menubar") || fail "the value slider did not appear"
shot slider "$editor"
xdotool windowfocus --sync "$slider" key Escape
gone "$slider" "the value slider"
# Text19, KEY
picker=$(opens "popup:$editor" click "$editor" 4327 6907 "$menubar") || fail "the key picker did not appear"
shot key-picker "$editor"
xdotool windowfocus --sync "$picker" key Escape
gone "$picker" "the key picker"
# Keyboard, Key map (ctrl+k): opened whole on the screen, the selected sample highlighted.
keymap=$(opens '^Key Map' xdotool windowfocus --sync "$editor" key ctrl+k) || fail "the key map did not appear"
geometry "$keymap"
((X >= 0 && Y >= 0 && X + WIDTH <= 1280 && Y + HEIGHT <= 1024)) || fail "the key map is not whole on the screen"
shot key-map "$keymap"
close_window "$keymap"
gone "$keymap" "the key map"
question=$(opens "popup:$editor" xdotool windowfocus --sync "$editor" key ctrl+q) ||
    fail "the unsaved-changes question did not appear"
xdotool windowfocus --sync "$question" key n
ended "Quit in the MSP editor"

# Runs 2 and 3: a launcher button opens a transfer window; open a file on each side, close.
transfer() {  # launcher button top, caption, shot name, left file, right file
    start
    local editor dialog
    editor=$(opens "$2" click "$menu" 1687 $(($1 + 427)) 0) || fail "no window named '$2' appeared"
    gone "$menu" "the launcher"
    local bar
    geometry "$editor"
    bar=$((HEIGHT - 9960 / 15))  # the client area is 9960 twips high
    # Command2 and Command5 open sides 1 and 2.
    dialog=$(opens "popup:$editor" click "$editor" 1207 907 "$bar") || fail "the file dialog did not appear"
    choose "$dialog" "$examples/$4"
    dialog=$(opens "popup:$editor" click "$editor" 5287 907 "$bar") || fail "the file dialog did not appear"
    choose "$dialog" "$examples/$5"
    shot "$3" "$editor"
    # Asked again every 5 s: a request that arrives while a dialog is still closing is
    # ignored, and one sent to a window already gone fails harmlessly.
    local end=$((SECONDS + limit))
    until close_window "$editor"; limit=5 poll stopped; do
        ((SECONDS < end)) || break
    done
    ended "closing $3"
}
transfer 1320 '^   USD Editor for KETRON SD1$' usd-editor KITS1.USD KITS2.USD
transfer 2280 '^   USV Editor for KETRON SD1$' usv-editor VOICES1.USV VOICES2.USV

echo "PASS: screenshots in $shots"

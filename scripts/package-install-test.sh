#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# By hand, as root: builds the Debian package, installs it with apt into a bare
# Debian 12 system (debootstrap --variant=minbase), runs `TAMO --version` there,
# then starts the installed program on examples/SINES.MSP on a virtual display and
# takes a screenshot. Shows that the package's dependencies are complete.
# Usage: package-install-test.sh [<work folder>]   (default: build-package/chroot-test)
# The bare system is kept in <work folder>/bookworm and reused; delete it for a fresh one.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
[[ $(id -u) == 0 ]] || { echo "run as root (debootstrap, chroot and mounts need it)" >&2; exit 1; }
bash "$ROOT/scripts/deps.sh" debootstrap xvfb xauth xdotool imagemagick

work=${1:-$ROOT/build-package/chroot-test}
system=$work/bookworm
mkdir -p "$work"
deb=$(bash "$ROOT/scripts/package.sh" | tail -n1)
echo "== package: $deb"

# The mirror this machine's apt uses.
mirror=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n1)
[[ -n $mirror ]] || mirror=$(awk '$1 == "deb" { print $2; exit }' /etc/apt/sources.list 2>/dev/null)
mirror=${mirror:-http://deb.debian.org/debian}
if [[ ! -x $system/usr/bin/apt-get ]]; then
    echo "== debootstrap --variant=minbase bookworm from $mirror"
    rm -rf "$system"
    debootstrap --variant=minbase bookworm "$system" "$mirror" >"$work/debootstrap.log"
fi

xvfb_pid='' tamo_pid=''
cleanup() {
    [[ -n $tamo_pid ]] && kill "$tamo_pid" 2>/dev/null
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null || true
    for mount in tmp/.X11-unix dev/pts dev sys proc; do
        mountpoint -q "$system/$mount" && umount -l "$system/$mount"
    done
    return 0
}
trap cleanup EXIT
mount --bind /proc "$system/proc"
mount --bind /sys "$system/sys"
mount --bind /dev "$system/dev"
mount --bind /dev/pts "$system/dev/pts"
cp /etc/resolv.conf "$system/etc/resolv.conf"
in_system() { chroot "$system" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }

echo "== apt-get install ./$(basename "$deb") in the bare system"
cp "$deb" "$system/tmp/"
in_system apt-get update -qq
in_system env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./tmp/$(basename "$deb")" \
    >"$work/apt-install.log" || { tail -n 30 "$work/apt-install.log" >&2; exit 1; }
in_system sh -c 'dpkg-query -W -f="\${Package} \${Version}\n" tamo; dpkg-query -W | wc -l | sed "s/$/ packages installed in all/"'

echo "== TAMO --version (no display)"
in_system TAMO --version

echo "== TAMO /tmp/examples/SINES.MSP on a virtual display"
rm -rf "$system/tmp/examples" && cp -r "$ROOT/examples" "$system/tmp/examples"
rm -f "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in {1..600}; do [[ -s $work/display ]] && break; sleep 0.1; done
display=:$(head -n1 "$work/display")
# The X socket reaches the bare system through its /tmp.
mkdir -p "$system/tmp/.X11-unix"
rm -rf "$system/tmp/runtime" && mkdir -m 700 "$system/tmp/runtime"
mount --bind /tmp/.X11-unix "$system/tmp/.X11-unix"
chroot "$system" env -i PATH=/usr/bin:/bin HOME=/root LANG=C.UTF-8 DISPLAY="$display" \
    XDG_RUNTIME_DIR=/tmp/runtime TAMO /tmp/examples/SINES.MSP >"$work/tamo.log" 2>&1 &
tamo_pid=$!
editor=$(DISPLAY=$display timeout 60 xdotool search --sync --onlyvisible --name 'MSP Editor' | head -n1) \
    || { cat "$work/tamo.log" >&2; echo "FAIL: no editor window" >&2; exit 1; }
# Select the first sample, so that the panel shows its WAV file.
eval "$(DISPLAY=$display xdotool getwindowgeometry --shell "$editor")"
DISPLAY=$display xdotool mousemove --sync $((X + 40)) $((Y + HEIGHT - 10830 / 15 + 22)) click 1
sleep 2
DISPLAY=$display import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/installed-msp-editor.png"
DISPLAY=$display xdotool windowfocus --sync "$editor" key alt+f key q
wait "$tamo_pid" && echo "TAMO ended normally" || echo "TAMO ended with status $?"
tamo_pid=''
[[ -s $work/tamo.log ]] && sed 's/^/  program: /' "$work/tamo.log"
echo "PASS: screenshot in $work/installed-msp-editor.png"

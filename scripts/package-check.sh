#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The cheap half of the package test: packs the Debian package from a built tree,
# lets lintian judge it (no errors allowed), validates the desktop entry, the
# metadata and the file types it installs, and runs the packed program.
# Usage: package-check.sh <build folder> [<output folder>]
# Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing).
set -u -o pipefail

build=$1
out=${2:-$build/package-check}
# Debian packages: cmake, dpkg-dev, lintian, desktop-file-utils, appstream,
# shared-mime-info, libglib2.0-bin.
for tool in cpack dpkg-deb dpkg-shlibdeps lintian desktop-file-validate appstreamcli update-mime-database gio; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$out"
mkdir -p "$out"
cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || { cat "$out/cpack.log" >&2; fail "cpack"; }
debs=("$out"/tamo_*.deb)
[[ -f ${debs[0]} ]] || fail "no package in $out"
deb=${debs[0]}
echo "== $(basename "$deb")"
dpkg-deb --field "$deb" Package Version Depends Recommends

# Library dependencies found in the binary, the platform plugins named by hand.
depends=$(dpkg-deb --field "$deb" Depends)
for needed in libqt6widgets6 libc6 qt6-qpa-plugins; do
    [[ $depends == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done

echo "== lintian"
# Run as root here; lintian only warns about that.
lintian --fail-on error --allow-root --tag-display-limit 0 "$deb" || fail "lintian found errors"

root=$out/root
dpkg-deb -x "$deb" "$root"
share=$root/usr/share
echo "== desktop-file-validate, appstreamcli"
desktop-file-validate "$share"/applications/*.desktop || fail "desktop entry"
appstreamcli validate --no-net --explain "$share"/metainfo/*.metainfo.xml || fail "metainfo"
[[ -f $share/icons/hicolor/scalable/apps/$(sed -n 's/^Icon=//p' "$share"/applications/*.desktop).svg ]] \
    || fail "the desktop entry's icon is not installed"

echo "== file types, by content under a neutral name and by extension"
cp -r "$share/mime" "$out/mime"
update-mime-database "$out/mime" >"$out/mime.log" 2>&1 || { cat "$out/mime.log" >&2; fail "update-mime-database"; }
examples=$(cd "$(dirname "${BASH_SOURCE[0]}")/../examples" && pwd)
mkdir "$out/files"
cp "$examples/SINES.MSP" "$out/files/a.bin"
cp "$examples/KITS1.USD" "$out/files/b.bin"
cp "$examples/VOICES1.USV" "$out/files/c.bin"
# Unknown content: the name decides.
for name in OTHER.MSP OTHER.usd OTHER.USV; do head -c 64 /dev/zero >"$out/files/$name"; done
while read -r name expected; do
    type=$(XDG_DATA_HOME=$out XDG_DATA_DIRS=/usr/share gio info -a standard::content-type "$out/files/$name" \
           | sed -n 's/^ *standard::content-type: //p')
    echo "$name: $type"
    [[ $type == "$expected" ]] || fail "$name is $type, not $expected"
done <<'TABLE'
a.bin application/x-ketron-msp
b.bin application/x-ketron-usd
c.bin application/x-ketron-usv
OTHER.MSP application/x-ketron-msp
OTHER.usd application/x-ketron-usd
OTHER.USV application/x-ketron-usv
TABLE

echo "== the packed program"
version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/TAMO" --version) || fail "TAMO --version"
[[ $version == "TAMO $(dpkg-deb --field "$deb" Version)" ]] || fail "TAMO --version says '$version'"
echo "$version"
echo "PASS: $deb"

#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the .deb, unpacks it into a scratch root, and checks what a desktop needs to find and
# start the program, and the package's control fields.
# Usage: tests/package-test.sh BUILD_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
tests=$(cd "$(dirname "$0")" && pwd)
scripts=$tests/../scripts
# The package is made on the build's file system, and made again on another below.
root=$(mktemp -d "$build/package-test.XXXXXX")
trap 'rm -rf "$root"' EXIT
failures=0
check() {
    if "$@"; then echo "ok: $*"; else echo "FAILED: $*"; failures=$((failures + 1)); fi
}

(cd "$build" && cpack -B "$root" >/dev/null)
deb=$(ls "$root"/*.deb)
dpkg-deb -x "$deb" "$root/install"
cached() { sed -n "s/^$1:PATH=//p" "$build/CMakeCache.txt"; }
usr="$root/install$(cached CMAKE_INSTALL_PREFIX)"
app=io.github.pythagoreantriple.PythagoreanTriple
# The library folder is the one the build was configured with, which depends on the prefix.
for file in bin/pythagorean-triple share/icons/hicolor/32x32/apps/pythagorean-triple.png \
    "$(cached CMAKE_INSTALL_LIBDIR)/pythagorean-triple/libpythagorean-triple-player.so" \
    share/icons/hicolor/scalable/apps/pythagorean-triple.svg; do
    check test -s "$usr/$file"
done
check desktop-file-validate "$usr/share/applications/$app.desktop"
check appstreamcli validate --no-net --pedantic "$usr/share/metainfo/$app.metainfo.xml"
check grep -q '^StartupWMClass=pythagorean-triple$' "$usr/share/applications/$app.desktop"

# A menu launch starts the program in Path=, where its chimes are; it stays up until closed.
chimes="$root/install$(sed -n 's/^Path=//p' "$usr/share/applications/$app.desktop")"
check test -s "$chimes/pinpon.wav" -a -s "$chimes/endpinpon.wav"
(cd "$chimes" && QT_QPA_PLATFORM=offscreen timeout 2 "$usr/bin/pythagorean-triple") || status=$?
check test "${status:-0}" -eq 124

fields=$(dpkg-deb -f "$deb" Version Section Depends Recommends)
for field in '^Version: 1.00$' '^Section: education$' fonts-ipafont-gothic libqt6widgets6 \
    libpulse0 libsndfile1 '^Recommends: pulseaudio.*qt6-wayland'; do
    check grep -q "$field" <<<"$fields"
done
# Debian's own checks of a package, and of the licensing of every file in the source release.
# A Debian package installs into /usr; one made for another prefix (/usr/local, CMake's own
# default) is no Debian package, and lintian would only say so for every folder.
if [ "$(cached CMAKE_INSTALL_PREFIX)" = /usr ]; then
    check lintian --fail-on error,warning "$deb"
else
    echo "skipped: lintian, since a package for $(cached CMAKE_INSTALL_PREFIX) cannot be a Debian" \
        "package (configure with -DCMAKE_INSTALL_PREFIX=/usr, as make does, to have it run)"
fi
release=$("$scripts/dist.sh" "$root" --work-tree)
tar -xJf "$release" -C "$root"
source=$(echo "$root"/pythagorean-triple-*/)
check reuse --root "$source" lint --quiet

# The release builds without git, on another file system, in a folder of another name and depth,
# into the same package, byte for byte.
again=$(mktemp -d "$("$tests/other-filesystem.sh" "$build")/package-again.XXXXXX")
trap 'rm -rf "$root" "$again"' EXIT
tar -xJf "$release" -C "$again"
rebuild=$again/elsewhere/again-build
cmake -S "$again"/pythagorean-triple-*/ -B "$rebuild" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_TESTING=OFF -DCMAKE_INSTALL_PREFIX="$(cached CMAKE_INSTALL_PREFIX)" >/dev/null
cmake --build "$rebuild" >/dev/null
(cd "$rebuild" && cpack -B "$again/packages" >/dev/null)
check cmp "$deb" "$again"/packages/*.deb

echo "$failures failed"
[ "$failures" -eq 0 ]

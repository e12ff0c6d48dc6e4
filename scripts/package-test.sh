#!/usr/bin/env bash
# Installs the build into a scratch root with the Debian prefix, validates what a desktop needs
# to find the program, builds the .deb and checks its control fields and contents.
# Usage: scripts/package-test.sh BUILD_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
failures=0
check() {
    if "$@"; then echo "ok: $*"; else echo "FAILED: $*"; failures=$((failures + 1)); fi
}

prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
DESTDIR="$root/install" cmake --install "$build" >/dev/null
installed="$root/install$prefix"

app_id=io.github.pythagoreantriple.PythagoreanTriple
desktop="$installed/share/applications/$app_id.desktop"
metainfo="$installed/share/metainfo/$app_id.metainfo.xml"
check test -x "$installed/bin/pythagorean-triple"
libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$build/CMakeCache.txt")
check test -s "$installed/$libdir/pythagorean-triple/libpythagorean-triple-player.so"
check test -s "$installed/share/icons/hicolor/32x32/apps/pythagorean-triple.png"
check test -s "$installed/share/icons/hicolor/scalable/apps/pythagorean-triple.svg"
check desktop-file-validate "$desktop"
check appstreamcli validate --no-net --pedantic "$metainfo"

# A menu launch starts the program in Path=, where its chimes must be.
chimes=$(sed -n 's/^Path=//p' "$desktop")
check test -s "$root/install$chimes/pinpon.wav"
check test -s "$root/install$chimes/endpinpon.wav"
check grep -q '^StartupWMClass=pythagorean-triple$' "$desktop"
check grep -q 'release version="1.00"' "$metainfo"

# The installed program starts in its folder of chimes and stays up until it is closed.
( cd "$root/install$chimes" && QT_QPA_PLATFORM=offscreen timeout 2 "$installed/bin/pythagorean-triple" ) \
    && status=0 || status=$?
check test "$status" -eq 124

(cd "$build" && cpack -B "$root/package" >/dev/null)
deb=$(ls "$root"/package/*.deb)
fields=$(dpkg-deb -f "$deb" Package Version Section Depends Recommends)
echo "$fields"
check grep -q '^Version: 1.00$' <<<"$fields"
check grep -q '^Section: education$' <<<"$fields"
check grep -q 'fonts-ipafont-gothic' <<<"$fields"
check grep -q 'libqt6widgets6' <<<"$fields"
check grep -q 'libpulse0' <<<"$fields"
check grep -q 'libsndfile1' <<<"$fields"
check grep -q '^Recommends: pulseaudio' <<<"$fields"
contents=$(dpkg-deb -c "$deb")
for path in bin/pythagorean-triple share/pythagorean-triple/pinpon.wav \
    share/pythagorean-triple/endpinpon.wav share/applications/$app_id.desktop \
    share/metainfo/$app_id.metainfo.xml \
    share/icons/hicolor/32x32/apps/pythagorean-triple.png \
    "$libdir/pythagorean-triple/libpythagorean-triple-player.so"; do
    check grep -q " \.$prefix/$path\$" <<<"$contents"
done

echo "$failures failed"
[ "$failures" -eq 0 ]

#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later
# The end-to-end test's Wine rows of the window for a built Windows program: its two packages made
# afresh, the program run from its unpacked zip, and the installer installed and removed, in a
# fresh Wine prefix on a private X server. (Its chimes are heard in a test of their own.)
# Usage: tests/test-windows.sh WINDOWS_BUILD_DIR
set -euo pipefail

tests=$(cd "$(dirname "$0")" && pwd)
scripts=$tests/../scripts
build=$(cd "$1" && pwd)
(cd "$build" && cpack >/dev/null)
rm -rf "$build/portable"
unzip -q "$build"/pythagorean-triple-*-win64.zip -d "$build/portable"

# Every binary in the packages comes with its notice, and the player is the only library: Qt and
# the compiler's run-time are linked in.
portable=$(echo "$build"/portable/*/)
for binary in $(cd "$portable" && find . -name '*.dll' -o -name '*.exe' | sed 's,^\./,,'); do
    grep -q "^Shipped in:.*\b$binary\b" "$portable"/notices/*.txt ||
        { echo "No notice names $binary"; exit 1; }
done
libraries=$(cd "$portable" && find . -name '*.dll' | sed 's,^\./,,')
[ "$libraries" = pythagorean-triple-player.dll ] ||
    { echo "The zip holds other libraries than the player: $libraries"; exit 1; }

# The source release builds on another file system, in a folder of another name and depth, into
# the same packages, byte for byte.
again=$(mktemp -d "$("$tests/other-filesystem.sh" "$build")/windows-again.XXXXXX")
trap 'rm -rf "$again"' EXIT
tar -xJf "$("$scripts/dist.sh" "$again" --work-tree)" -C "$again"
make -C "$again"/pythagorean-triple-*/ --no-print-directory windows \
    WINDOWS_BUILD_DIR=elsewhere/again-windows >/dev/null
for package in "$build"/pythagorean-triple-*-win64.{zip,exe}; do
    cmp "$package" "$again"/pythagorean-triple-*/elsewhere/again-windows/"${package##*/}"
done

cd "$tests/.."
INSTALLER=$(ls "$build"/pythagorean-triple-*-win64.exe) tests/with-x.sh tests/with-wine.sh \
    /usr/bin/python3 e2e/desktop_test.py wine "$(ls "$build"/portable/*/pythagorean-triple.exe)" WindowTest

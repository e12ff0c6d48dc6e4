#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later
# The web page's zip: it carries the notices of what the module and the face of its signs hold,
# and the source release builds on another file system, in a folder of another name and depth,
# into the same zip, byte for byte.
# Usage: tests/web-package-test.sh WEB_BUILD_DIR
set -euo pipefail

tests=$(cd "$(dirname "$0")" && pwd)
zip=$(ls "$(cd "$1" && pwd)"/pythagorean-triple-*-web.zip)
notice=$(unzip -p "$zip" '*/notices/emscripten.txt')
grep -q '^Shipped in: pythagorean-triple\.\*\.wasm' <<<"$notice"
notice=$(unzip -p "$zip" '*/notices/Noto-Sans-CJK.txt')
grep -q '^Shipped in: form1-signs\.\*\.woff2' <<<"$notice"

again=$(mktemp -d "$("$tests/other-filesystem.sh" "$1")/web-again.XXXXXX")
trap 'rm -rf "$again"' EXIT
tar -xJf "$("$tests/../scripts/dist.sh" "$again" --work-tree)" -C "$again"
make -C "$again"/pythagorean-triple-*/ --no-print-directory web \
    WEB_BUILD_DIR=elsewhere/again-web >/dev/null
cmp "$zip" "$again"/pythagorean-triple-*/elsewhere/again-web/"${zip##*/}"

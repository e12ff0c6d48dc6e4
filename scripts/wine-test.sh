#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later
# CTest's emulator for the Windows build: runs a command (wine with a test program, or a test that
# starts the program under Wine) in a fresh Wine prefix on a private X server, as the end-to-end
# test runs the program, with the folders of the libraries it was linked against on Wine's path.
# Usage: scripts/wine-test.sh LIBRARY_DIR... -- COMMAND [ARG...]
set -euo pipefail

scripts=$(cd "$(dirname "$0")" && pwd)
path=
while [ "$1" != -- ]; do
    path+="${path:+;}$1"
    shift
done
shift
# Wine reads its path as Windows folders; the root of the Linux file system is drive Z:.
WINEPATH=$(sed -E -e 's#(^|;)/#\1Z:/#g' -e 's#/#\\#g' <<<"$path")
export WINEPATH
exec "$scripts/with-x.sh" "$scripts/with-wine.sh" "$@"

#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command with a fresh 64-bit Wine prefix of its own, as a new Windows account would have,
# in which the layout's Japanese Gothic face is answered by Debian's IPAPGothic, as a Japanese
# Windows answers it with its own; the prefix's Wine server is stopped afterwards.
# Usage: tests/with-wine.sh COMMAND [ARG...], on an X display
set -euo pipefail

prefix=$(mktemp -d)
cleanup() {
    local status=$?
    WINEPREFIX="$prefix" wineserver --kill 2>/dev/null || true
    rm -rf "$prefix"
    exit "$status"
}
trap cleanup EXIT
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all
# The program needs neither .NET nor a browser engine, so Wine is not to offer them; without a
# sound server it is to have no sound rather than look for a sound card.
export WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv=d"

wine wineboot --init
LC_ALL=C.UTF-8 wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /t REG_SZ \
    /d IPAPGothic /f >/dev/null
wineserver --wait

"$@"

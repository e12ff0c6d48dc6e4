#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes sure apt-get source can fetch PACKAGE=VERSION: where it cannot, adds a source entry for
# the archive that the binary packages come from (through sudo when not root) and updates.
# Usage: scripts/deb-src.sh PACKAGE=VERSION
set -euo pipefail

apt-get source --print-uris "$1" >/dev/null 2>&1 && exit 0
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
# A Debian installation lists its archive in the deb822 format; a system made by debootstrap or
# mmdebstrap, in one-line entries.
if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        "${sudo[@]}" tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
else
    sed -n -e 's/^deb /deb-src /p' /etc/apt/sources.list |
        "${sudo[@]}" tee /etc/apt/sources.list.d/debian-src.list >/dev/null
fi
"${sudo[@]}" apt-get update -qq

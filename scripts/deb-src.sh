#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later
# Fetches Debian's source of PACKAGE=VERSION into DIR, unpacks it there with its patches and
# prints the unpacked folder. Where apt has no source entry, adds one for the archive that the
# binary packages come from (through sudo when not root).
# Usage: scripts/deb-src.sh PACKAGE=VERSION DIR
set -euo pipefail

package=${1%%=*}
version=${1#*=}
dir=$2

if ! apt-get source --print-uris "$1" >/dev/null 2>&1; then
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    # A Debian installation lists its archive in the deb822 format; a system made by debootstrap
    # or mmdebstrap, in one-line entries.
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
            "${sudo[@]}" tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
    else
        sed -n -e 's/^deb /deb-src /p' /etc/apt/sources.list |
            "${sudo[@]}" tee /etc/apt/sources.list.d/debian-src.list >/dev/null
    fi
    "${sudo[@]}" apt-get update -qq
fi

mkdir -p "$dir"
cd "$dir"
dsc="${package}_${version#*:}.dsc"
# Some mirrors hold a source's tarballs but not its .dsc. apt has checked every file it fetched
# against the signed index, so the index's record is as good a .dsc as the archive's own: it names
# the same files with the same sums, only without the maintainer's signature.
if ! apt-get source --download-only -qq "$1" >&2; then
    [ ! -f "$dsc" ] || exit 1
    echo "$dsc is missing from the archive; unpacking from the index's record of it" >&2
    apt-get indextargets --format '$(FILENAME)' 'Created-By: Sources' |
        xargs -r /usr/lib/apt/apt-helper cat-file |
        awk -v p="$package" -v v="$version" -v RS= \
            '!found && index("\n" $0 "\n", "\nPackage: " p "\n") &&
                index($0 "\n", "\nVersion: " v "\n") { print; found = 1 }' |
        sed -e 's/^Package:/Source:/' -e "/ $dsc\$/d" >"$dsc"
    for file in $(awk '/^Files:/ { f = 1; next } /^[^ ]/ { f = 0 } f { print $3 }' "$dsc"); do
        [ -f "$file" ] || { echo "$file was not fetched" >&2; exit 1; }
    done
fi
dpkg-source --no-check -x "$dsc" >&2
echo "$dir/$(find . -mindepth 1 -maxdepth 1 -type d -name "$package-*" -printf '%f\n')"

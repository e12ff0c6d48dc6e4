#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds libsndfile for 64-bit Windows from Debian's own source of the host's version,
# once, into the cache beside the cross-built Qt; prints the install prefix. A prefix that holds
# a finished build is reused as it is.
# Usage: scripts/sndfile-windows.sh [PREFIX]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
# The Debian revision is part of the name, so that a security update of the source is built anew.
version=$(dpkg-query -W -f='${Version}' libsndfile1-dev)
prefix=${1:-${XDG_CACHE_HOME:-$HOME/.cache}/pythagorean-triple/sndfile-$version-mingw64}
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/sndfile-windows.XXXXXX")
trap 'rm -rf "$work"' EXIT
source_dir=$("$root/scripts/deb-src.sh" libsndfile="$version" "$work")

# Static, so that it ends up inside the player library, and without the codec libraries: the
# program plays PCM and float wave files only, which libsndfile reads on its own. The codecs'
# packages are kept out of reach outright, in case a cross-built one is lying around.
cmake -S "$source_dir" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
    -DENABLE_EXTERNAL_LIBS=OFF -DENABLE_MPEG=OFF -DENABLE_EXPERIMENTAL=OFF \
    -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_TESTING=OFF -DBUILD_REGTEST=OFF \
    -DENABLE_CPACK=OFF -DENABLE_PACKAGE_CONFIG=ON -DINSTALL_PKGCONFIG_MODULE=OFF \
    -DINSTALL_MANPAGES=OFF -DENABLE_STATIC_RUNTIME=OFF \
    -DCMAKE_DISABLE_FIND_PACKAGE_Ogg=ON -DCMAKE_DISABLE_FIND_PACKAGE_Vorbis=ON \
    -DCMAKE_DISABLE_FIND_PACKAGE_FLAC=ON -DCMAKE_DISABLE_FIND_PACKAGE_Opus=ON \
    -DCMAKE_DISABLE_FIND_PACKAGE_mp3lame=ON -DCMAKE_DISABLE_FIND_PACKAGE_Mpg123=ON \
    -DCMAKE_DISABLE_FIND_PACKAGE_Speex=ON >&2
nice cmake --build "$work/build" -j "${JOBS:-2}" >&2
cmake --install "$work/build" >&2
touch "$prefix/.complete"
echo "$prefix"

#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds the part of Qt that the program uses for 64-bit Windows, from Debian's own source
# of the host's Qt version, once, into a cache outside the work tree; prints the install prefix.
# A prefix that holds a finished build is reused as it is.
# Usage: scripts/qt-windows.sh [PREFIX]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
prefix=${1:-${XDG_CACHE_HOME:-$HOME/.cache}/pythagorean-triple/qt-${version%%+*}-mingw64}
# Fonts: Qt 6.4 builds its DirectWrite font database only with Direct2D, and the platform plugin
# links against it when it is there, so without Direct2D fonts go through GDI. Later versions
# build their Windows fonts on DirectWrite alone, which they declare only with Direct2D.
case "$version" in
6.4.*) fonts=(-DFEATURE_direct2d=OFF -DFEATURE_directwrite3=OFF) ;;
*) fonts=(-DFEATURE_directwrite=ON -DFEATURE_direct2d=ON -DFEATURE_directwrite3=ON) ;;
esac
# What the build is made of; a prefix built otherwise is built again.
options=(-DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DFEATURE_testlib=ON -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
    -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_vulkan=OFF "${fonts[@]}"
    -DFEATURE_tabletevent=OFF -DFEATURE_zstd=OFF -DFEATURE_icu=OFF -DFEATURE_glib=OFF
    -DFEATURE_freetype=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_imageformatplugin=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_pcre2=OFF -DFEATURE_system_doubleconversion=OFF)
if [ "$(cat "$prefix/.complete" 2>/dev/null)" = "${options[*]}" ]; then
    echo "$prefix"
    exit 0
fi
if [ -f "$prefix/.complete" ]; then
    rm -rf "$prefix"
fi

# The sources and the build stay beside the prefix until the build has finished, so that a build
# that was stopped goes on where it stopped.
work="$prefix.build"
if [ ! -f "$work/.unpacked" ]; then
    rm -rf "$work"
    source_dir=$("$root/scripts/deb-src.sh" qt6-base="$version" "$work")
    patch -d "$source_dir" -p1 <"$root/cmake/qt-mingw-setjmp.patch" >&2
    touch "$work/.unpacked"
fi
source_dir=$(echo "$work"/qt6-base-*/)

# Only what the program and its tests load: Core, Gui, Widgets, Test and the windows platform and
# style plugins. Debian's source lacks wintab.h, so no tablet events; without OpenGL there is no
# dynamic GL. Every third-party library is Qt's bundled copy, so nothing else needs cross-building.
cmake -S "$source_dir" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$prefix" "${options[@]}" >&2
nice cmake --build "$work/build" >&2
cmake --install "$work/build" >&2
echo "${options[*]}" >"$prefix/.complete"
rm -rf "$work"
echo "$prefix"

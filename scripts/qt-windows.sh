#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds the part of Qt that the program uses for 64-bit Windows, static and for size, from
# Debian's own source of the host's Qt version, once, into a cache outside the work tree; prints
# the install prefix. A prefix that holds a finished build is reused as it is.
#
# With QT_SOURCE set, builds the Qt source in that folder instead (a changed Qt, which the LGPL
# lets users link the program with), with the same switches, into a prefix of its own; its build
# folder is kept, so that each run rebuilds only what has changed.
# Usage: [QT_SOURCE=DIR] scripts/qt-windows.sh [PREFIX]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/pythagorean-triple
if [ -n "${QT_SOURCE:-}" ]; then
    prefix=${1:-$cache/qt-own-mingw64}
else
    prefix=${1:-$cache/qt-${version%%+*}-mingw64}
fi
# Fonts: Qt 6.4 builds its DirectWrite font database only with Direct2D, and the platform plugin
# links against it when it is there, so without Direct2D fonts go through GDI. Later versions
# build their Windows fonts on DirectWrite alone, which they declare only with Direct2D.
case "$version" in
6.4.*) fonts=(-DFEATURE_direct2d=OFF -DFEATURE_directwrite3=OFF) ;;
*) fonts=(-DFEATURE_directwrite=ON -DFEATURE_direct2d=ON -DFEATURE_directwrite3=ON) ;;
esac
# What the build is made of; a prefix built otherwise is built again.
# Static and for size: the program links in only what it reaches, so what it never uses is also
# left out of Qt outright where the style or the accessibility code would otherwise reach it.
options=(-DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF
    -DFEATURE_optimize_size=ON -DFEATURE_gc_binaries=ON
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DFEATURE_testlib=ON -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
    -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_vulkan=OFF "${fonts[@]}"
    -DFEATURE_tabletevent=OFF -DFEATURE_zstd=OFF -DFEATURE_icu=OFF -DFEATURE_glib=OFF
    -DFEATURE_freetype=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_imageformatplugin=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_pcre2=OFF -DFEATURE_system_doubleconversion=OFF)
# Core: processes, shared memory, XML, MIME types, time zones, calendars other than the
# Gregorian, parsing dates, the models of item views, and SHA-3 unrolled for speed.
options+=(-DFEATURE_process=OFF -DFEATURE_sharedmemory=OFF -DFEATURE_systemsemaphore=OFF
    -DFEATURE_xmlstream=OFF -DFEATURE_mimetype=OFF -DFEATURE_timezone=OFF
    -DFEATURE_jalalicalendar=OFF -DFEATURE_hijricalendar=OFF -DFEATURE_datetimeparser=OFF
    -DFEATURE_commandlineparser=OFF -DFEATURE_filesystemwatcher=OFF -DFEATURE_proxymodel=OFF
    -DFEATURE_stringlistmodel=OFF -DFEATURE_gestures=OFF -DFEATURE_sha3_fast=OFF)
# Gui: documents in other formats, movies, PDF, the tray, undo and the file system model.
options+=(-DFEATURE_textmarkdownreader=OFF -DFEATURE_textmarkdownwriter=OFF
    -DFEATURE_textodfwriter=OFF -DFEATURE_movie=OFF -DFEATURE_pdf=OFF
    -DFEATURE_systemtrayicon=OFF -DFEATURE_sessionmanager=OFF -DFEATURE_undocommand=OFF
    -DFEATURE_filesystemmodel=OFF -DFEATURE_whatsthis=OFF)
# Widgets: what neither the window, its message box nor the native styles use. (The item views,
# the main window, tab widgets, spin boxes, text edits and input dialogs stay: the styles and Qt's
# compatibility code name them, and only what the program reaches is linked in.)
options+=(-DFEATURE_style_fusion=OFF -DFEATURE_mdiarea=OFF
    -DFEATURE_dockwidget=OFF -DFEATURE_statusbar=OFF -DFEATURE_calendarwidget=OFF
    -DFEATURE_datetimeedit=OFF -DFEATURE_wizard=OFF -DFEATURE_colordialog=OFF
    -DFEATURE_filedialog=OFF -DFEATURE_fontdialog=OFF -DFEATURE_progressdialog=OFF
    -DFEATURE_errormessage=OFF -DFEATURE_splashscreen=OFF -DFEATURE_lcdnumber=OFF
    -DFEATURE_dial=OFF -DFEATURE_keysequenceedit=OFF -DFEATURE_toolbox=OFF
    -DFEATURE_splitter=OFF -DFEATURE_progressbar=OFF -DFEATURE_sizegrip=OFF
    -DFEATURE_scroller=OFF)
# Qt 6.7's Windows 11 style shadows its menus with a graphics effect, knows command link buttons
# and asks for the application's style sheet; earlier styles need none of these.
case "$version" in
6.4.*) options+=(-DFEATURE_graphicsview=OFF -DFEATURE_commandlinkbutton=OFF
    -DFEATURE_style_stylesheet=OFF) ;;
esac

# The prefix also records our patch to Qt, so that a changed patch builds Qt again.
patch_file=$root/cmake/qt-windows.patch
made_of="${options[*]} $(sha256sum <"$patch_file" | cut -c1-16)"

configure_and_build() { # SOURCE_DIR BUILD_DIR
    # A build folder configured with other switches starts afresh: a switch left out would keep
    # its value in CMake's cache, and the sources that moc reads depend on the switches.
    if [ "$(cat "$2/.options" 2>/dev/null)" != "${options[*]}" ]; then
        rm -rf "$2"
    fi
    # Only what the program and its tests load: Core, Gui, Widgets, Test and the windows platform
    # and style plugins. Debian's source lacks wintab.h, so no tablet events; without OpenGL there
    # is no dynamic GL. Every third-party library is Qt's bundled copy, so nothing else needs
    # cross-building.
    cmake -S "$1" -B "$2" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_INSTALL_PREFIX="$prefix" "${options[@]}" >&2
    echo "${options[*]}" >"$2/.options"
    nice cmake --build "$2" >&2
    cmake --install "$2" >&2
}

if [ -n "${QT_SOURCE:-}" ]; then
    configure_and_build "$(cd "$QT_SOURCE" && pwd)" "$prefix.build"
    echo "$prefix"
    exit 0
fi
if [ "$(cat "$prefix/.complete" 2>/dev/null)" = "$made_of" ]; then
    echo "$prefix"
    exit 0
fi
if [ -f "$prefix/.complete" ]; then
    rm -rf "$prefix"
fi

# The sources and the build stay beside the prefix until the build has finished, so that a build
# that was stopped goes on where it stopped.
work="$prefix.build"
if [ "$(cat "$work/.unpacked" 2>/dev/null)" != "$made_of" ]; then
    rm -rf "$work"
    source_dir=$("$root/scripts/deb-src.sh" qt6-base="$version" "$work")
    patch -d "$source_dir" -p1 <"$patch_file" >&2
    echo "$made_of" >"$work/.unpacked"
fi
configure_and_build "$(echo "$work"/qt6-base-*/)" "$work/build"
echo "$made_of" >"$prefix/.complete"
rm -rf "$work"
echo "$prefix"

#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages that a make target needs, and only those that are missing.
# Usage: scripts/deps.sh run|test|bench|windows|test-windows|web|web-run
set -euo pipefail

# The chime player is built on libpulse and reads the chimes with libsndfile.
build=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-qpa-plugins fonts-ipafont-gothic
    libpulse-dev libsndfile1-dev)
# Without a display, `make run` shows the window on a virtual X server and saves a screenshot.
headless=(xvfb openbox x11-utils imagemagick)
# The web page: Debian's emscripten, Python for the page's window made from the layout,
# rsvg-convert for its icons and zip for its zip; and the face of its signs, taken out of Noto
# Sans CJK JP by fontTools (WOFF2 with brotli), found with fontconfig.
web=(cmake ninja-build emscripten python3 librsvg2-bin zip fonts-noto-cjk fontconfig
    python3-fonttools python3-brotli)
# The page's rows of the end-to-end test, in three engines: Debian's Chromium, driven through
# selenium; Firefox ESR, over WebDriver BiDi (python3-websocket) and typed at on X with xdotool;
# WebKitGTK's MiniBrowser through selenium on X, which plays through GStreamer. The faces that
# devices have: IPA, Noto Sans CJK JP, Roboto and DejaVu Sans; fontTools makes a probe face, and
# Pillow reads what the engines draw.
browser=(chromium chromium-driver python3-selenium firefox-esr python3-websocket python3-pil
    webkit2gtk-driver gstreamer1.0-plugins-base gstreamer1.0-plugins-good xvfb openbox xdotool
    x11-utils fonts-ipafont-gothic fonts-noto-cjk fonts-roboto-unhinted fonts-dejavu-core
    python3-fonttools)

case "${1:-}" in
run)
    packages=("${build[@]}")
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        packages+=("${headless[@]}")
    fi
    ;;
# The end-to-end test drives the program on Xvfb under openbox with xdotool, once under GTK's
# dark theme, reads it through the accessibility bus as a screen reader would and looks at its
# pixels (python3 with pyatspi, xlib and numpy), and plays it into private PulseAudio servers
# whose null sinks it records with parec; and does much the same on the sway compositor, typed at
# with wtype and looked at with grim, with PipeWire as the sound server.
# The packaging test validates the desktop entry and metainfo, builds a .deb and runs lintian on
# it, and unpacks a source release (xz-utils) to check its licensing (reuse) and build it again.
# The fuzz targets are built with clang and its libFuzzer, whose package follows the release's
# clang. These names serve Debian 12 and 13 alike.
test)
    packages=("${build[@]}" pulseaudio pulseaudio-utils clang libclang-rt-dev
        xvfb openbox xdotool x11-utils qt6-gtk-platformtheme dbus-daemon at-spi2-core
        python3-pyatspi python3-xlib python3-numpy desktop-file-utils appstream dpkg-dev file
        sway wtype grim qt6-wayland pipewire pipewire-pulse wireplumber lintian reuse xz-utils
        "${web[@]}" "${browser[@]}")
    ;;
# The benchmarks: Google Benchmark, xcb's DAMAGE extension to see the first frame, and the X and
# sound servers they run on; for the web page, nginx to serve it, brotli to weigh it, Chromium and
# npm, which brings Lighthouse (bench/lighthouse.sh).
bench)
    packages=("${build[@]}" libbenchmark-dev libxcb1-dev libxcb-damage0-dev
        xvfb openbox x11-utils pulseaudio pulseaudio-utils "${web[@]}" "${browser[@]}"
        nginx-light brotli)
    command -v npm >/dev/null || packages+=(npm)
    ;;
# The Windows build: MinGW-w64's compilers with POSIX threads, which C++ threads need; Debian's
# sources of the host's Qt and libsndfile, unpacked by dpkg-dev and cross-built once with Qt's
# host tools; makensis and zip for the packages; Wine to run the result.
windows)
    packages=(cmake ninja-build g++-mingw-w64-x86-64-posix dpkg-dev xz-utils patch qt6-base-dev
        qt6-base-dev-tools libsndfile1-dev nsis zip wine64)
    ;;
# The Wine rows of the end-to-end test: the Windows program under Wine on Xvfb with openbox,
# driven with xdotool, its screen read with tesseract, its chimes heard at PulseAudio.
test-windows)
    packages=(wine wine64 xvfb openbox xdotool x11-utils pulseaudio pulseaudio-utils unzip
        tesseract-ocr python3-pyatspi python3-xlib python3-numpy fonts-ipafont-gothic)
    ;;
web)
    packages=("${web[@]}")
    ;;
# `make web-run` opens the page in the desktop's browser; without a display it takes a
# screenshot in headless Chromium.
web-run)
    packages=(python3)
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        packages+=(chromium)
    else
        packages+=(xdg-utils)
    fi
    ;;
*)
    echo "usage: $0 run|test|bench|windows|test-windows|web|web-run" >&2
    exit 2
    ;;
esac

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    sudo=()
elif command -v sudo >/dev/null 2>&1; then
    sudo=(sudo)
else
    echo "These Debian packages are missing: ${missing[*]}" >&2
    echo "Install them as root, then run make again:" >&2
    echo "    apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
    exit 1
fi

echo "Installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

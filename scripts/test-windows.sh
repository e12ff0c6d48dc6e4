#!/usr/bin/env bash
# The end-to-end test's Wine rows for a built Windows program: its two packages made afresh, the
# program run from its unpacked zip, and the installer installed and removed, in a fresh Wine
# prefix on a private X server, its chimes at a private PulseAudio.
# Usage: scripts/test-windows.sh WINDOWS_BUILD_DIR
set -euo pipefail

scripts=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
(cd "$build" && cpack >/dev/null)
rm -rf "$build/portable"
unzip -q "$build"/pythagorean-triple-*-win64.zip -d "$build/portable"
cd "$scripts/.."
INSTALLER=$(ls "$build"/pythagorean-triple-*-win64.exe) scripts/with-x.sh scripts/with-wine.sh \
    /usr/bin/python3 e2e/desktop_test.py wine "$(ls "$build"/portable/*/pythagorean-triple.exe)"

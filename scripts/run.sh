#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the built program. Without a display it shows the window on a virtual X server just long
# enough to save a screenshot, and says where the picture is.
# Usage: scripts/run.sh BUILD_DIR
set -euo pipefail

scripts=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
program="$build/pythagorean-triple"
# The chimes are read from the current directory, and the build folder holds them.
cd "$build"

if [ -z "${RUN_ON_VIRTUAL_DISPLAY:-}" ]; then
    if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
        exec "$program"
    fi
    echo "No display found (neither DISPLAY nor WAYLAND_DISPLAY is set)."
    echo "Showing the program on a virtual X display to take a screenshot instead."
    RUN_ON_VIRTUAL_DISPLAY=1 exec "$scripts/../tests/with-x.sh" "$scripts/run.sh" "$build"
fi

screenshot="$build/screenshot.png"
"$program" &
program_pid=$!
trap 'kill "$program_pid" 2>/dev/null || true; wait "$program_pid" 2>/dev/null || true' EXIT

# Wait for the window to be mapped, then give it a moment to draw.
window=
for _ in $(seq 100); do
    window=$(xwininfo -root -tree 2>/dev/null | awk '/Pythagorean triple/ && /625x341/ && !found { print $1; found = 1 }')
    [ -n "$window" ] && break
    sleep 0.1
done
if [ -z "$window" ]; then
    echo "The window did not appear." >&2
    exit 1
fi
sleep 0.5
import -window "$window" "$screenshot"
echo "Screenshot saved: $screenshot"

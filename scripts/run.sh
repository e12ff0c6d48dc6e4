#!/usr/bin/env bash
# Starts the built program. Without a display it shows the window on a virtual X server just long
# enough to save a screenshot, and says where the picture is.
# Usage: scripts/run.sh BUILD_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
program="$build/pythagorean-triple"
# The chimes are read from the current directory, and the build folder holds them.
cd "$build"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$program"
fi

echo "No display found (neither DISPLAY nor WAYLAND_DISPLAY is set)."
echo "Showing the program on a virtual X display to take a screenshot instead."

screenshot="$build/screenshot.png"
xvfb_pid=
program_pid=
runtime_dir=$(mktemp -d)
cleanup() {
    local status=$?
    for pid in $program_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$runtime_dir"
    exit "$status"
}
trap cleanup EXIT
# Root has no session runtime folder of its own here.
export XDG_RUNTIME_DIR="$runtime_dir"

# -displayfd lets Xvfb pick a free display number and tell us which once it is ready.
exec {fd}< <(Xvfb -displayfd 1 -screen 0 800x500x24 -nolisten tcp 2>/dev/null & echo "pid $!")
read -r -u "$fd" _ xvfb_pid
read -r -u "$fd" display
export DISPLAY=":$display"

"$program" &
program_pid=$!

# Wait for the window to be mapped, then give it a moment to draw.
window=
for _ in $(seq 100); do
    window=$(xwininfo -root -tree 2>/dev/null | awk '/Pythagorean triple/ && /625x341/ { print $1; exit }')
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

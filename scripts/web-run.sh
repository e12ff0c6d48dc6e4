#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later
# Serves the built page on a loopback port and prints its address. Where there is a display, it
# opens the address in the default browser and serves until interrupted; without one, it saves a
# screenshot of the page taken with headless Chromium instead, says where, and stops.
# Usage: scripts/web-run.sh WEB_BUILD_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
folder=$(echo "$build"/pythagorean-triple-*-web)
log=$(mktemp)
python3 -u -m http.server --bind 127.0.0.1 --directory "$folder" 0 >"$log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -f "$log"' EXIT

# Port 0 lets the system choose a free port; the server names its address once it listens.
address=
for _ in $(seq 100); do
    address=$(sed -n 's/^Serving HTTP on .* (\(.*\)) .*/\1/p' "$log")
    [ -n "$address" ] && break
    sleep 0.1
done
if [ -z "$address" ]; then
    echo "The server did not start:" >&2
    cat "$log" >&2
    exit 1
fi
echo "The page is served at $address"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    xdg-open "$address" >/dev/null 2>&1 || echo "Open that address in a browser."
    echo "Press Ctrl+C to stop serving it."
    wait "$server"
    exit 0
fi

echo "No display found (neither DISPLAY nor WAYLAND_DISPLAY is set)."
echo "Taking a screenshot of the page in headless Chromium instead."
screenshot="$build/screenshot.png"
flags=(--headless=new --disable-gpu --no-first-run --disable-background-networking
    --disable-component-update --disable-sync --hide-scrollbars --window-size=800,500
    --virtual-time-budget=3000 --screenshot="$screenshot")
# Chromium's sandbox does not run as root.
[ "$(id -u)" -ne 0 ] || flags+=(--no-sandbox)
chromium "${flags[@]}" "$address" >/dev/null 2>&1
echo "Screenshot saved: $screenshot"

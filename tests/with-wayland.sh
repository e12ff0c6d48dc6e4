#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command on a private headless sway compositor, the way a Wayland desktop would show the
# program, and stops it by its process id afterwards. sway does not run as root (see as-user.sh).
# Usage: tests/with-wayland.sh COMMAND [ARG...]
set -euo pipefail

runtime_dir=$(mktemp -d)
chmod 700 "$runtime_dir"
sway_pid=
cleanup() {
    local status=$?
    if [ -n "$sway_pid" ]; then
        kill "$sway_pid" 2>/dev/null || true
        wait "$sway_pid" 2>/dev/null || true
    fi
    rm -rf "$runtime_dir"
    exit "$status"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR="$runtime_dir"
export HOME="$runtime_dir"
unset DISPLAY

# No GPU and no input devices here: software rendering, and wtype brings a virtual keyboard.
export WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman
printf 'output HEADLESS-1 resolution 1600x1000\nxwayland disable\n' >"$runtime_dir/config"
sway -c "$runtime_dir/config" >"$runtime_dir/sway.log" 2>&1 &
sway_pid=$!
for _ in $(seq 100); do
    socket=$(ls "$runtime_dir"/sway-ipc.*.sock 2>/dev/null || true)
    [ -n "$socket" ] && [ -S "$runtime_dir/wayland-1" ] && break
    if ! kill -0 "$sway_pid" 2>/dev/null; then
        echo "sway did not start:" >&2
        cat "$runtime_dir/sway.log" >&2
        exit 1
    fi
    sleep 0.1
done
export SWAYSOCK="$socket" WAYLAND_DISPLAY=wayland-1 QT_QPA_PLATFORM=wayland

"$@"

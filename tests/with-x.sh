#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command on a private virtual X server with the openbox window manager, the way a user's
# desktop would show the program, and stops both by their process ids afterwards.
# Usage: tests/with-x.sh COMMAND [ARG...]
set -euo pipefail

runtime_dir=$(mktemp -d)
chmod 700 "$runtime_dir"
xvfb_pid=
wm_pid=
cleanup() {
    local status=$?
    for pid in $wm_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$runtime_dir"
    exit "$status"
}
trap cleanup EXIT
# Root has no session runtime folder of its own here, and openbox wants a home for its settings.
export XDG_RUNTIME_DIR="$runtime_dir"
export HOME="$runtime_dir"

# Big enough for the window at twice its size. -displayfd picks a free display and, once the
# server is ready, writes its number into the pipe.
mkfifo "$runtime_dir/display"
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$runtime_dir/display" \
    2>"$runtime_dir/xvfb.log" &
xvfb_pid=$!
read -r display <"$runtime_dir/display"
export DISPLAY=":$display"

openbox --sm-disable >"$runtime_dir/openbox.log" 2>&1 &
wm_pid=$!
# The window manager is ready once it has named itself on the root window.
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    if ! kill -0 "$wm_pid" 2>/dev/null; then
        echo "openbox did not start:" >&2
        cat "$runtime_dir/openbox.log" "$runtime_dir/xvfb.log" >&2
        exit 1
    fi
    sleep 0.1
done

"$@"

#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command against a private PulseAudio server whose only sink is a null sink named
# "chimes", so that what the program plays can be recorded from "chimes.monitor" without a
# sound card. The command finds the server's process id in PULSE_SERVER_PID, to freeze it with
# SIGSTOP; the server is stopped by its process id afterwards.
# Usage: tests/with-pulseaudio.sh COMMAND [ARG...]
set -euo pipefail

runtime_dir=$(mktemp -d)
chmod 700 "$runtime_dir"
server_pid=
cleanup() {
    local status=$?
    if [ -n "$server_pid" ]; then
        kill "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
    fi
    rm -rf "$runtime_dir"
    exit "$status"
}
trap cleanup EXIT

# As root the server needs a runtime folder of its own; -n skips the system's default setup.
export XDG_RUNTIME_DIR="$runtime_dir"
export HOME="$runtime_dir"
socket="$runtime_dir/pulse/native"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --log-target=stderr \
    -L "module-null-sink sink_name=chimes" -L module-suspend-on-idle \
    -L "module-native-protocol-unix socket=$socket auth-anonymous=1" \
    2>"$runtime_dir/server.log" &
server_pid=$!

export PULSE_SERVER="unix:$socket"
export PULSE_SERVER_PID=$server_pid
for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && break
    if ! kill -0 "$server_pid" 2>/dev/null; then
        echo "PulseAudio did not start:" >&2
        cat "$runtime_dir/server.log" >&2
        exit 1
    fi
    sleep 0.1
done
pactl set-default-sink chimes

"$@"

#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command as an unprivileged user, for what refuses to run as root, as the sway compositor
# does. As root, the command runs as the system user pythagorean-test, made when missing; the
# files named before "--" are copied into a folder of its own first, since the work tree may lie
# where that user cannot reach. The command runs in that folder, as anyone's does.
# Usage: tests/as-user.sh FILE... -- COMMAND [ARG...]
set -euo pipefail

files=()
while [ "$1" != "--" ]; do
    files+=("$1")
    shift
done
shift

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "${files[@]}" "$stage"
chmod 755 "$stage"
cd "$stage"
if [ "$(id -u)" -ne 0 ]; then
    "$@"
    exit
fi

user=pythagorean-test
if ! id "$user" >/dev/null 2>&1; then
    useradd --system --user-group --home-dir /nonexistent --no-create-home \
        --shell /usr/sbin/nologin "$user"
fi
chown -R "$user:" "$stage"
runuser -u "$user" -- "$@"

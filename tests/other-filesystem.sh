#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later
# Prints a folder for scratch files on another file system than PATH's, so that a second build
# there shows whether the packages depend on the file system (the order it lists a folder in,
# the size it gives a folder). Where every candidate shares PATH's file system, says so and
# prints the first.
# Usage: tests/other-filesystem.sh PATH
set -euo pipefail

device=$(stat -c %d "$1")
candidates=(/dev/shm "${TMPDIR:-/tmp}" /var/tmp)
for folder in "${candidates[@]}"; do
    if [ -d "$folder" ] && [ -w "$folder" ] && [ "$(stat -c %d "$folder")" != "$device" ]; then
        echo "$folder"
        exit 0
    fi
done
echo "note: no scratch folder on another file system than $1's; building on the same one" >&2
echo "${candidates[0]}"

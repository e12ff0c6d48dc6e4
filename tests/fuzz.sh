#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs each libFuzzer target for a number of seconds, keeping its corpus in the build folder so
# that later runs start where earlier ones stopped. Any finding fails the run and is saved as
# BUILD_DIR/fuzz/<target>/crash-*.
# Usage: tests/fuzz.sh BUILD_DIR SECONDS (make fuzz sets the sanitizer options)
set -euo pipefail

build=$(cd "$1" && pwd)
seconds=$2
assets=$(cd "$(dirname "$0")/../assets" && pwd)
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}

for target in triple/triple_fuzz sound/sound_fuzz; do
    name=$(basename "$target")
    work="$build/fuzz/$name"
    mkdir -p "$work/corpus"
    # The sound part starts from the real chimes, behind a command name.
    if [ "$name" = sound_fuzz ] && [ -z "$(ls -A "$work/corpus")" ]; then
        for chime in pinpon endpinpon; do
            { printf 'Open\0'; cat "$assets/$chime.wav"; } >"$work/corpus/$chime"
        done
    fi
    echo "Fuzzing $name for $seconds s"
    # In its own folder: the sound target writes the file it reads.
    (cd "$work" && "$build/$target" -max_total_time="$seconds" -timeout=10 \
        -artifact_prefix="$work/" -print_final_stats=1 "$work/corpus" 2>"$work/log") || {
        tail -40 "$work/log" >&2
        exit 1
    }
    awk '/stat::number_of_executed_units/ { print "  " $2 " executions" }' "$work/log"
done

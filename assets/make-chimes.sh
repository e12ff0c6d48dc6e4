#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the two chimes from nothing but sine tones, so that anyone can rebuild them:
#   pinpon.wav     a bright two-tone "pin-pon" (E6 then C6) played by Init;
#   endpinpon.wav  a falling G5-E5-C5 closing chime played by Exit.
# 16-bit mono PCM at 44.1 kHz, each under a second. Needs sox; the output is committed.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A struck-bell note: the fundamental with a quieter octave, a 4 ms attack and a long
# logarithmic decay. Arguments: name, frequency in Hz, length in seconds.
note() {
    local octave
    octave=$(awk -v f="$2" 'BEGIN { print 2 * f }')
    sox -R -D -n -r 44100 -b 16 "$work/$1.wav" synth "$3" sine "$2" sine "$octave" \
        remix 1v0.8,2v0.2 fade l 0.004 "$3" "$(awk -v d="$3" 'BEGIN { print d - 0.004 }')"
}

# Mixes notes, each started at its own offset, into one normalised file.
# Arguments: output, then pairs of note name and start time.
chime() {
    local output=$1
    shift
    local inputs=()
    while [ $# -gt 0 ]; do
        inputs+=("|sox -R -D $work/$1.wav -p pad $2")
        shift 2
    done
    sox -R -D -m "${inputs[@]}" -b 16 "$output" gain -n -3
}

note e6 1318.51 0.30
note c6 1046.50 0.55
chime pinpon.wav e6 0 c6 0.22

note g5 783.99 0.30
note e5 659.26 0.30
note c5 523.25 0.50
chime endpinpon.wav g5 0 e5 0.18 c5 0.36

soxi -D pinpon.wav endpinpon.wav

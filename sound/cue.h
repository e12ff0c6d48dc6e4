// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "host.h"

#include <string_view>

// Plays one sound file through the form's media control and returns at once. Whatever was
// playing stops first, so at most one cue sounds at a time. The outcome is never examined: a cue
// that cannot play is silent, not an error.
void PlayCue(Forms::Host& host, std::string_view mediaControl, std::string_view fileName);

// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

class QObject;

// Plays one sound file through the window's media control and returns at once. Whatever was
// playing stops first, so at most one cue sounds at a time. The outcome is never examined: a cue
// that cannot play is silent, not an error.
void PlayCue(QObject* mediaControl, const QString& fileName);

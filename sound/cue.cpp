// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cue.h"

#include "runtime.h"

using Runtime::StoreProperty;

void PlayCue(QObject* mediaControl, const QString& fileName)
{
    StoreProperty(mediaControl, "command", QStringLiteral("Stop"));
    StoreProperty(mediaControl, "command", QStringLiteral("Close"));
    StoreProperty(mediaControl, "fileName", fileName);
    StoreProperty(mediaControl, "command", QStringLiteral("Open"));
    StoreProperty(mediaControl, "command", QStringLiteral("Sound"));
}

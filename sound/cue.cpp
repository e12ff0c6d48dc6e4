// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cue.h"

using Forms::Property;

void PlayCue(Forms::Host& host, std::string_view mediaControl, std::string_view fileName)
{
    host.StoreString(mediaControl, Property::Command, "Stop");
    host.StoreString(mediaControl, Property::Command, "Close");
    host.StoreString(mediaControl, Property::FileName, fileName);
    host.StoreString(mediaControl, Property::Command, "Open");
    host.StoreString(mediaControl, Property::Command, "Sound");
}

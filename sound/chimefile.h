// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <sndfile.h>
#include <string>

// The part of reading a chime that differs between systems: the file named `path` (in UTF-8)
// opened for libsndfile when it is a regular file on a disk, and nothing otherwise. A folder, a
// pipe or a device is never read, and the open itself never waits for a writer.
SNDFILE* OpenRegularFile(const std::string& path, SF_INFO& info);

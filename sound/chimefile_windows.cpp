// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "chimefile.h"

#include <windows.h>

SNDFILE* OpenRegularFile(const std::filesystem::path& path, SF_INFO& info)
{
    // libsndfile on Windows takes the file by its name: handed a descriptor instead, it closes
    // the system handle beneath the C runtime and leaves the descriptor behind, one per chime.
    // The file is checked on a handle of its own, which shares neither writing nor deleting, so
    // that what libsndfile then opens by the same name is the file that was checked. A folder
    // does not open this way at all.
    const HANDLE checked = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (checked == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    BY_HANDLE_FILE_INFORMATION about{};
    SNDFILE* file = nullptr;
    // A device or a pipe reached through a link is no disk file.
    if (GetFileType(checked) == FILE_TYPE_DISK && GetFileInformationByHandle(checked, &about) &&
        !(about.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        // By its wide name: sf_open reads names in the ANSI code page, which holds few of them.
        file = sf_wchar_open(path.c_str(), SFM_READ, &info);
    }
    CloseHandle(checked);
    return file;
}

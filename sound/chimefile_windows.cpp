// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "chimefile.h"

#include <algorithm>
#include <windows.h>

namespace {

// The system's wide name for a UTF-8 one; empty, which names no file, where it is no UTF-8.
std::wstring WideName(const std::string& path)
{
    const int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(),
                                         int(path.size()), nullptr, 0);
    std::wstring wide(std::size_t(std::max(size, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), int(path.size()), wide.data(),
                        size);
    return wide;
}

} // namespace

SNDFILE* OpenRegularFile(const std::string& path, SF_INFO& info)
{
    const std::wstring name = WideName(path);
    // libsndfile on Windows takes the file by its name: handed a descriptor instead, it closes
    // the system handle beneath the C runtime and leaves the descriptor behind, one per chime.
    // The file is checked on a handle of its own, which shares neither writing nor deleting, so
    // that what libsndfile then opens by the same name is the file that was checked. A folder
    // does not open this way at all.
    const HANDLE checked = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
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
        file = sf_wchar_open(name.c_str(), SFM_READ, &info);
    }
    CloseHandle(checked);
    return file;
}

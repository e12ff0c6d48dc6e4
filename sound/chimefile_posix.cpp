// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "chimefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

SNDFILE* OpenRegularFile(const std::string& path, SF_INFO& info)
{
    // Without O_NONBLOCK a named pipe would hold the open until some writer came along.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    struct stat status
    {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    // libsndfile owns the descriptor from here on, and closes it on failure as well.
    return sf_open_fd(fd, SFM_READ, &info, SF_TRUE);
}

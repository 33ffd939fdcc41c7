// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The data file of recorded points: one line per point, on disk before it counts.
#include "reading/datafile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pontiva {

DataFile::~DataFile()
{
    close();
}

bool DataFile::open(const std::string &path, int flags)
{
    close();
    const int fd = ::open(path.c_str(), flags | O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        LastError = errno;
        return false;
    }
    Fd = fd;
    LastError = 0;
    return true;
}

bool DataFile::openForAppend(const std::string &path)
{
    return open(path, O_APPEND);
}

bool DataFile::createEmpty(const std::string &path)
{
    if (!open(path, O_TRUNC | O_APPEND))
        return false;
    // The emptied file must be empty on disk too, not only in the cache.
    if (::fsync(Fd) != 0) {
        LastError = errno;
        close();
        return false;
    }
    return true;
}

bool DataFile::appendLine(std::string_view x, std::string_view separator, std::string_view y)
{
    if (Fd < 0) {
        LastError = EBADF;
        return false;
    }
    struct stat before {};
    if (::fstat(Fd, &before) != 0) {
        LastError = errno;
        return false;
    }
    // Deleted while open: a write would land in a file nobody can read.
    if (before.st_nlink == 0) {
        LastError = ENOENT;
        return false;
    }
    Line.clear();
    Line.append(x).append(separator).append(y).append("\r\n");
    std::size_t done = 0;
    while (done < Line.size()) {
        const ssize_t n = ::write(Fd, Line.data() + done, Line.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            LastError = n < 0 ? errno : ENOSPC;
            if (done > 0 && ::ftruncate(Fd, before.st_size) != 0) {
                // Nothing more can be done; the caller reports the failure.
            }
            return false;
        }
        done += std::size_t(n);
    }
    if (::fdatasync(Fd) != 0) {
        LastError = errno;
        if (::ftruncate(Fd, before.st_size) != 0) {
            // As above: the failure is reported either way.
        }
        return false;
    }
    return true;
}

void DataFile::close()
{
    if (Fd >= 0) {
        ::close(Fd);
        Fd = -1;
    }
}

} // namespace pontiva

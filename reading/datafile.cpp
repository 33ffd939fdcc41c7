// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The data file of recorded points: one line per point, on disk before it counts.
#include "reading/datafile.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace pontiva {

std::string dataLine(std::string_view x, std::string_view separator, std::string_view y)
{
    std::string line;
    line.reserve(x.size() + separator.size() + y.size() + 2);
    line.append(x).append(separator).append(y).append("\r\n");
    return line;
}

StorageCalls systemStorageCalls()
{
    return {[](int fd) { return ::fdatasync(fd); },
            [](int fd, off_t length) { return ::ftruncate(fd, length); }};
}

DataFile::~DataFile()
{
    close();
}

bool DataFile::open(const std::string &path, int flags)
{
    close();
    // O_NONBLOCK: a FIFO without a reader must not hang the window; anything
    // but a regular file is refused below anyway. Reading is for undo, which
    // checks the line it cuts; a file that may only be written still records.
    flags |= O_CREAT | O_CLOEXEC | O_NONBLOCK;
    int fd = ::open(path.c_str(), flags | O_RDWR, 0644);
    if (fd < 0 && errno == EACCES)
        fd = ::open(path.c_str(), flags | O_WRONLY, 0644);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    const int status = ::fcntl(fd, F_GETFL);
    if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return false;
    }
    Fd = fd;
    Path = path;
    Device = st.st_dev;
    Inode = st.st_ino;
    End = -1;
    // A file whose last line has no end would have the first point glued
    // onto it; that point then starts a line of its own.
    char last = '\n';
    LineEndOwed = st.st_size > 0 && ::pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n';
    return true;
}

bool DataFile::openForAppend(const std::string &path)
{
    return open(path, O_APPEND);
}

bool DataFile::createEmpty(const std::string &path)
{
    // Truncated only once it is known to be a regular file.
    if (!open(path, O_APPEND))
        return false;
    // The emptied file must be empty on disk too, not only in the cache.
    if (Calls.truncate(Fd, 0) != 0 || Calls.sync(Fd) != 0) {
        close();
        return false;
    }
    LineEndOwed = false;
    return true;
}

// A renamed or replaced file would take points the window's label does not
// name; a deleted one would take points nobody can ever read.
bool DataFile::stillNamedByPath() const
{
    struct stat open {}, named {};
    if (::fstat(Fd, &open) != 0 || open.st_nlink == 0)
        return false;
    if (::stat(Path.c_str(), &named) != 0)
        return false;
    return named.st_dev == Device && named.st_ino == Inode;
}

bool DataFile::appendLine(std::string_view x, std::string_view separator, std::string_view y)
{
    return appendRecord(dataLine(x, separator, y));
}

bool DataFile::appendRecord(std::string_view line)
{
    if (Fd < 0 || !stillNamedByPath())
        return false;
    struct stat before {};
    if (::fstat(Fd, &before) != 0)
        return false;
    // One write for the owed line end and the line, so both land or neither.
    const std::string owed = LineEndOwed ? std::string("\r\n") : std::string();
    const std::string bytes = owed + std::string(line);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(Fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (done > 0 && Calls.truncate(Fd, before.st_size) != 0) {
                // Nothing more can be done; the caller reports the failure.
            }
            return false;
        }
        done += std::size_t(n);
    }
    if (Calls.sync(Fd) != 0) {
        if (Calls.truncate(Fd, before.st_size) != 0) {
            // As above: the failure is reported either way.
        }
        return false;
    }
    End = before.st_size + off_t(bytes.size());
    LineEndOwed = false;
    return true;
}

DataFile::CutResult DataFile::cutLastRecord(std::string_view line)
{
    if (Fd < 0 || End < off_t(line.size()) || !stillNamedByPath())
        return CutResult::FileChanged;
    struct stat now {};
    if (::fstat(Fd, &now) != 0)
        return CutResult::Failed;
    // Something written after this program's last line, or the file cut or
    // rewritten: what it ends with is not ours to take.
    if (now.st_size != End)
        return CutResult::FileChanged;
    const off_t start = End - off_t(line.size());
    std::string tail(line.size(), '\0');
    const ssize_t n = ::pread(Fd, tail.data(), tail.size(), start);
    if (n < 0)
        return CutResult::Failed;
    if (std::size_t(n) != tail.size() || tail != line)
        return CutResult::FileChanged;
    if (Calls.truncate(Fd, start) != 0)
        return CutResult::Failed;
    if (Calls.sync(Fd) != 0) {
        // Not durable: put the line back so that the file agrees with the
        // count the window keeps showing.
        if (::pwrite(Fd, line.data(), line.size(), start) == ssize_t(line.size()))
            (void)Calls.sync(Fd);
        return CutResult::Failed;
    }
    End = start;
    return CutResult::Cut;
}

void DataFile::close()
{
    if (Fd >= 0) {
        ::close(Fd);
        Fd = -1;
    }
    End = -1;
}

} // namespace pontiva

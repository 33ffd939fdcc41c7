// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A data set written out as CSV beside the data file, which it never touches.
#include "reading/datasetexport.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <cstdlib>
#include <unistd.h>

namespace pontiva {

std::string csvOfDataSet(const std::vector<RecordedPoint> &points)
{
    std::string csv = "x,y\n";
    for (const RecordedPoint &p : points) {
        // A line is "X<TAB>Y" and its line end; either may use "," as its
        // decimal point, which CSV needs as the separator.
        std::string line = p.line;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        for (char &c : line) {
            if (c == ',')
                c = '.';
            else if (c == '\t')
                c = ',';
        }
        csv += line;
        csv += '\n';
    }
    return csv;
}

std::string replaceFileWhole(const std::string &path, std::string_view content)
{
    const std::string slash = path.substr(0, path.rfind('/') + 1);
    std::string temporary = (slash.empty() ? std::string("./") : slash) + ".pontiva-export-XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return std::strerror(errno);
    auto failed = [&](int error) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return std::string(std::strerror(error));
    };
    for (std::size_t done = 0; done < content.size();) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return failed(n < 0 ? errno : ENOSPC);
        done += std::size_t(n);
    }
    // Readable as an ordinary file would be (mkstemp makes it private).
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd, 0666 & ~mask) != 0 || ::fsync(fd) != 0)
        return failed(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return std::strerror(error);
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return std::strerror(error);
    }
    // The rename itself on storage.
    const int folder = ::open(slash.empty() ? "." : slash.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return {};
}

} // namespace pontiva

// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a picture file for reading without ever waiting on it.
#include "picture/picturefile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

OpenedPictureFile openPictureFile(const QString &path)
{
    return openPictureFileByName(QFile::encodeName(path));
}

OpenedPictureFile openPictureFileByName(const QByteArray &name)
{
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return {nullptr, errno == ENXIO || errno == EISDIR ? PictureProblem::NotAFile : PictureProblem::CannotOpen};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return {nullptr, PictureProblem::NotAFile};
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return {nullptr, PictureProblem::CannotOpen};
    }
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {nullptr, PictureProblem::CannotOpen};
    }
    return {std::move(file), PictureProblem::None};
}

// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Files the tests read back, and a small file system that fills up.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <sys/mount.h>

// The file's bytes, or "<missing>" when it cannot be read.
inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A real full disk: a tiny memory file system (needs root, as on CI). It is
// unmounted however the test ends, even while a window still holds a file
// open on it (detached then, and gone once the file closes).
class SmallFileSystem
{
public:
    explicit SmallFileSystem(const char *size = "size=8k")
    {
        Mounted = ::mount("tmpfs", QFile::encodeName(Dir.path()).constData(), "tmpfs", 0, size) == 0;
    }
    ~SmallFileSystem()
    {
        if (Mounted)
            ::umount2(QFile::encodeName(Dir.path()).constData(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem &) = delete;
    SmallFileSystem &operator=(const SmallFileSystem &) = delete;
    bool mounted() const { return Mounted; }
    QString filePath(const QString &name) const { return Dir.filePath(name); }

private:
    QTemporaryDir Dir;
    bool Mounted = false;
};

// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Telling whether another Pontiva of this user is already running.
#include "app/singleinstance.h"

#include <QDir>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

SingleInstance::SingleInstance(const QString &lockPath)
{
    const QByteArray path = QFile::encodeName(lockPath);
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return; // cannot tell: behave as the only instance rather than refuse to start
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        OtherRunning = true;
        return;
    }
    Fd = fd;
}

SingleInstance::~SingleInstance()
{
    if (Fd >= 0)
        ::close(Fd);
}

QString SingleInstance::defaultLockPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return defaultLockPathIn(folder);
}

QString SingleInstance::defaultLockPathIn(const QString &folder)
{
    return folder + QStringLiteral("/pontiva-%1.lock").arg(::getuid());
}

// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Telling whether another Pontiva of this user is already running.
#include "app/singleinstance.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/file.h>
#include <unistd.h>

SingleInstance::SingleInstance(const QString &lockPath)
{
    if (lockPath.isEmpty())
        return;
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

namespace {

// Owned by this user, a real folder (not a link), and closed to everyone else.
bool isPrivate(const QByteArray &folder)
{
    struct stat st {};
    return ::lstat(folder.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid()
        && (st.st_mode & 077) == 0;
}

} // namespace

QString SingleInstance::privateFolder()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivate(runtime))
        return QFile::decodeName(runtime);
    // A folder of our own under the home folder, never a shared one like /tmp.
    const QByteArray home = QFile::encodeName(QDir::homePath());
    if (home.isEmpty() || home == "/")
        return {};
    const QByteArray cache = home + "/.cache";
    (void)::mkdir(cache.constData(), 0700);
    const QByteArray own = cache + "/pontiva-" + QByteArray::number(::getuid());
    (void)::mkdir(own.constData(), 0700);
    return isPrivate(own) ? QFile::decodeName(own) : QString();
}

QString SingleInstance::defaultLockPathIn(const QString &folder)
{
    return folder + QStringLiteral("/pontiva-%1.lock").arg(::getuid());
}

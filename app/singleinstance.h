// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Telling whether another Pontiva of this user is already running.
#pragma once

#include <QString>

// Holds an advisory lock on a file in the user's runtime folder for as long as
// it lives. The kernel drops the lock when the process ends, however it ends,
// so a crashed run never blocks the next start.
class SingleInstance
{
public:
    explicit SingleInstance(const QString &lockPath = defaultLockPath());
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // False when another process holds the lock.
    bool isFirst() const { return !OtherRunning; }

    static QString defaultLockPath();
    static QString defaultLockPathIn(const QString &folder);

private:
    int Fd = -1;
    bool OtherRunning = false;
};

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
    // An empty path holds nothing: this instance counts as the only one.
    explicit SingleInstance(const QString &lockPath);
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // False when another process holds the lock.
    bool isFirst() const { return !OtherRunning; }

    // A folder no other user can write to or read: the runtime folder when it
    // is this user's alone, else one under the home folder made for this
    // (mode 0700). Empty when neither can be had: one owned by someone else,
    // or open to others, is never used.
    static QString privateFolder();
    static QString defaultLockPathIn(const QString &folder);

private:
    int Fd = -1;
    bool OtherRunning = false;
};

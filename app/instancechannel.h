// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// How a second start reaches the running Pontiva: raise its window, hand it a picture.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// The running instance listens on a local socket beside its lock file; a
// second start connects, says what it was given and ends.
class InstanceChannel : public QObject
{
    Q_OBJECT
public:
    // Listens at `socketPath`, replacing what a crashed run left there (only
    // the holder of the lock calls this).
    explicit InstanceChannel(const QString &socketPath, QObject *parent = nullptr);
    ~InstanceChannel() override;

    // From the second start: empty `picture` for a plain start. False when
    // the running instance could not be reached within a second.
    static bool handOver(const QString &socketPath, const QString &picture);

    static QString socketPathFor(const QString &lockPath);

signals:
    // A second start happened; `picture` is empty when none was given.
    void secondStart(const QString &picture);

private:
    void readFrom(class QLocalSocket *socket);
    QLocalServer *Server;
};

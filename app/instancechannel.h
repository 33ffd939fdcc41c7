// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// How a second start reaches the running Pontiva: raise its window, hand it a picture.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// The running instance listens on a local socket beside its lock file; a
// second start connects, says what it was given, waits for the running one
// to say it has it, and ends. A picture's name goes as its own bytes, with
// its length first: a newline, a trailing blank or a name that is not valid
// text arrives as it was.
class InstanceChannel : public QObject
{
    Q_OBJECT
public:
    // Listens at `socketPath`, replacing what a crashed run left there (only
    // the holder of the lock calls this).
    explicit InstanceChannel(const QString &socketPath, QObject *parent = nullptr);
    ~InstanceChannel() override;

    // From the second start: an empty `picture` for a plain start. Tries
    // again while the running one is still starting, for `patienceMs` in
    // all; false when it was never told.
    static bool handOver(const QString &socketPath, const QByteArray &picture, int patienceMs = 5000);

    static QString socketPathFor(const QString &lockPath);

signals:
    // A second start happened; `picture` (the file's name as bytes) is empty
    // when none was given.
    void secondStart(const QByteArray &picture);

private:
    void readFrom(QLocalSocket *socket);
    QLocalServer *Server;
};

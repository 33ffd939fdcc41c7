// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// How a second start reaches the running Pontiva: raise its window, hand it a picture.
#include "app/instancechannel.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace {

// One message a connection: "start" and a newline, or "open", a TAB, the
// path in UTF-8 and a newline.
constexpr qint64 MaximumMessage = 64 * 1024;

} // namespace

InstanceChannel::InstanceChannel(const QString &socketPath, QObject *parent)
    : QObject(parent)
    , Server(new QLocalServer(this))
{
    Server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(socketPath);
    Server->listen(socketPath); // without it, second starts just end, as before
    connect(Server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = Server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        }
    });
}

InstanceChannel::~InstanceChannel() = default;

void InstanceChannel::readFrom(QLocalSocket *socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > MaximumMessage)
            socket->abort(); // not one of ours
        return;
    }
    const QByteArray line = socket->readLine(MaximumMessage).trimmed();
    socket->disconnectFromServer();
    if (line == "start")
        emit secondStart(QString());
    else if (line.startsWith("open\t"))
        emit secondStart(QString::fromUtf8(line.mid(5)));
}

bool InstanceChannel::handOver(const QString &socketPath, const QString &picture)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(1000))
        return false;
    socket.write(picture.isEmpty() ? QByteArray("start\n") : "open\t" + picture.toUtf8() + '\n');
    const bool written = socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return written;
}

QString InstanceChannel::socketPathFor(const QString &lockPath)
{
    return lockPath + QStringLiteral(".socket");
}

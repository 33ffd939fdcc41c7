// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// How a second start reaches the running Pontiva: raise its window, hand it a picture.
#include "app/instancechannel.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QtEndian>

namespace {

// One message a connection: "PNT1", a kind ('S' a plain start, 'O' open),
// the length of the name in four bytes (big-endian) and the name's bytes.
// The running one answers 'K' once it has the whole message.
const QByteArray Magic("PNT1");
constexpr qsizetype HeaderBytes = 4 + 1 + 4;
constexpr quint32 MaximumName = 64 * 1024;

} // namespace

InstanceChannel::InstanceChannel(const QString &socketPath, QObject *parent)
    : QObject(parent)
    , Server(new QLocalServer(this))
{
    Server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(socketPath);
    Server->listen(socketPath); // without it, second starts just report they could not tell it
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
    if (socket->bytesAvailable() < HeaderBytes)
        return;
    const QByteArray header = socket->peek(HeaderBytes);
    const char kind = header.at(4);
    const quint32 length = qFromBigEndian<quint32>(header.constData() + 5);
    if (!header.startsWith(Magic) || (kind != 'S' && kind != 'O') || length > MaximumName) {
        socket->abort(); // not one of ours
        return;
    }
    if (socket->bytesAvailable() < HeaderBytes + qsizetype(length))
        return; // the rest is on its way
    socket->read(HeaderBytes);
    const QByteArray name = socket->read(length);
    socket->write("K");
    socket->flush();
    socket->disconnectFromServer();
    emit secondStart(kind == 'O' ? name : QByteArray());
}

bool InstanceChannel::handOver(const QString &socketPath, const QByteArray &picture, int patienceMs)
{
    QByteArray message = Magic + (picture.isEmpty() ? 'S' : 'O') + QByteArray(4, '\0') + picture;
    qToBigEndian<quint32>(quint32(picture.size()), message.data() + 5);
    const QDeadlineTimer deadline(patienceMs);
    // The running one may still be starting: its socket comes up a moment
    // after its lock.
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(socketPath);
        if (!socket.waitForConnected(int(std::max<qint64>(1, deadline.remainingTime())))) {
            QThread::msleep(50);
            continue;
        }
        // Told once only: a second try could open the picture twice.
        socket.write(message);
        while (socket.bytesAvailable() < 1 && !deadline.hasExpired()
               && socket.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime()))))
            ;
        return socket.read(1) == "K";
    }
    return false;
}

QString InstanceChannel::socketPathFor(const QString &lockPath)
{
    return lockPath + QStringLiteral(".socket");
}

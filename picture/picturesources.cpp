// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures from elsewhere than the open dialog: a file dropped on the window, the clipboard.
#include "picture/picturesources.h"

#include "picture/pdfpages.h"
#include "picture/x11clipboard.h"

#include <QClipboard>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QImageReader>
#include <QMimeData>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

namespace {

constexpr int ClipboardDeadlineMs = 2000;

// The types a picture comes as, best first; a list of files before all.
const QByteArrayList PictureTypes = {"image/png", "image/bmp", "image/jpeg", "image/tiff", "image/webp", "image/gif"};

std::optional<QString> onePictureFile(const QList<QUrl> &urls)
{
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return std::nullopt;
    const QString path = urls.first().toLocalFile();
    if (!QFileInfo(path).isFile()
        || (QImageReader::imageFormat(path).isEmpty() && !isPdfFile(QFile::encodeName(path))))
        return std::nullopt;
    return path;
}

// "text/uri-list": lines of addresses, comments after "#".
QList<QUrl> urlsIn(const QByteArray &list)
{
    QList<QUrl> urls;
    for (const QByteArray &line : list.split('\n')) {
        const QByteArray address = line.trimmed();
        if (!address.isEmpty() && !address.startsWith('#'))
            urls << QUrl::fromEncoded(address);
    }
    return urls;
}

} // namespace

std::optional<QString> droppablePicture(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return std::nullopt;
    return onePictureFile(data->urls());
}

PastedPicture pastedPicture(const QMimeData *data)
{
    PastedPicture pasted;
    if (!data)
        return pasted;
    if (data->hasUrls()) {
        pasted.file = onePictureFile(data->urls());
        return pasted;
    }
    for (const QByteArray &type : PictureTypes) {
        if (data->hasFormat(QString::fromLatin1(type))) {
            pasted.encoded = data->data(QString::fromLatin1(type));
            if (!pasted.encoded.isEmpty())
                return pasted;
        }
    }
    if (data->hasImage())
        pasted.image = qvariant_cast<QImage>(data->imageData());
    return pasted;
}

PastedPicture pictureOnClipboard()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return pastedPicture(QGuiApplication::clipboard()->mimeData());
    // This program's own copy is at hand without asking anyone.
    if (QGuiApplication::clipboard()->ownsClipboard())
        return pastedPicture(QGuiApplication::clipboard()->mimeData());
    QFuture<std::optional<ClipboardBytes>> asked = QtConcurrent::run([] {
        return readX11Clipboard(QByteArrayList{"text/uri-list"} + PictureTypes, ClipboardDeadlineMs);
    });
    QEventLoop loop;
    QFutureWatcher<std::optional<ClipboardBytes>> watcher;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(asked);
    if (!asked.isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    const std::optional<ClipboardBytes> bytes = asked.result();
    PastedPicture pasted;
    if (!bytes)
        return pasted;
    pasted.ownerSilent = bytes->timedOut;
    if (bytes->type == "text/uri-list")
        pasted.file = onePictureFile(urlsIn(bytes->bytes));
    else
        pasted.encoded = bytes->bytes;
    return pasted;
}

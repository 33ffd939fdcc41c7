// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What names a picture's content, so that its calibration can be found again.
#include "picture/picturecontent.h"

#include "calibration/storedcalibration.h"
#include "picture/picturefile.h"

#include <QtConcurrent/QtConcurrentRun>

QFuture<std::optional<std::uint64_t>> fileContentKey(const QByteArray &nativePath, const QByteArray &part)
{
    return QtConcurrent::run([nativePath, part]() -> std::optional<std::uint64_t> {
        // Opened as a picture is: regular files only, never blocking.
        const std::unique_ptr<QIODevice> file = openPictureFileByName(nativePath).device;
        if (!file)
            return std::nullopt;
        pontiva::ContentHash hash;
        QByteArray chunk(1 << 20, '\0');
        for (;;) {
            const qint64 n = file->read(chunk.data(), chunk.size());
            if (n < 0)
                return std::nullopt;
            if (n == 0)
                break;
            hash.add(chunk.constData(), std::size_t(n));
        }
        hash.add(part.constData(), std::size_t(part.size()));
        return hash.value();
    });
}

std::uint64_t bytesContentKey(const QByteArray &bytes)
{
    pontiva::ContentHash hash;
    hash.add(bytes.constData(), std::size_t(bytes.size()));
    return hash.value();
}

std::uint64_t pixelsContentKey(const QImage &picture)
{
    pontiva::ContentHash hash;
    const int size[] = {picture.width(), picture.height(), int(picture.format())};
    hash.add(size, sizeof size);
    for (int y = 0; y < picture.height(); ++y)
        hash.add(picture.constScanLine(y), std::size_t(picture.width()) * std::size_t(picture.depth()) / 8);
    return hash.value();
}

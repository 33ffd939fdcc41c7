// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Picture files made byte by byte: honest ones tiny on disk and huge in memory.
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QtEndian>

#include <algorithm>
#include <zlib.h>

inline QByteArray bigEndian32(quint32 v)
{
    QByteArray b(4, '\0');
    qToBigEndian(v, b.data());
    return b;
}

inline QByteArray pngChunk(const char *type, const QByteArray &data)
{
    QByteArray body = QByteArray(type, 4) + data;
    const quint32 crc = quint32(crc32(0, reinterpret_cast<const Bytef *>(body.constData()), uInt(body.size())));
    return bigEndian32(quint32(data.size())) + body + bigEndian32(crc);
}

inline QByteArray pngHeader(quint32 width, quint32 height, char bitDepth, char colourType = 0)
{
    return bigEndian32(width) + bigEndian32(height) + QByteArray(1, bitDepth) + QByteArray(1, colourType)
        + QByteArray(3, '\0');
}

inline const QByteArray PngSignature("\x89PNG\r\n\x1a\n", 8);

// A valid PNG of zeros (one-bit grey, or black RGB), deflated as it streams:
// zlib makes such a file honestly tiny, whatever its size.
inline QByteArray zeroPng(quint32 width, quint32 height, bool rgb = false)
{
    const qint64 rowBytes = 1 + (rgb ? qint64(width) * 3 : (qint64(width) + 7) / 8); // after a filter byte
    qint64 left = rowBytes * height;
    z_stream z{};
    deflateInit(&z, 9);
    const QByteArray zeros(1 << 20, '\0');
    QByteArray out;
    QByteArray chunk(1 << 16, '\0');
    int status = Z_OK;
    do {
        const qint64 now = std::min<qint64>(left, zeros.size());
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(zeros.constData()));
        z.avail_in = uInt(now);
        left -= now;
        do {
            z.next_out = reinterpret_cast<Bytef *>(chunk.data());
            z.avail_out = uInt(chunk.size());
            status = deflate(&z, left == 0 ? Z_FINISH : Z_NO_FLUSH);
            out.append(chunk.constData(), chunk.size() - qsizetype(z.avail_out));
        } while (z.avail_out == 0);
    } while (left > 0 || status != Z_STREAM_END);
    deflateEnd(&z);
    return PngSignature + pngChunk("IHDR", rgb ? pngHeader(width, height, 8, 2) : pngHeader(width, height, 1)) + pngChunk("IDAT", out)
        + pngChunk("IEND", {});
}

inline QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// Grain, so the JPEG's data is long enough to cut in a meaningful place.
inline QImage noisyPicture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    quint32 seed = 7;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            image.setPixel(x, y, qRgb(int(seed >> 24), int(seed >> 16) & 255, 128));
        }
    return image;
}


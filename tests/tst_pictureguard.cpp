// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile and broken picture files are refused fast and small, whatever the
// machine's free memory; honest ones still load.
#include "picture/picturedecoder.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <fstream>
#include <string>
#include <zlib.h>

namespace {

// Far beyond any claim below: only the file's own bound and the cap can refuse.
constexpr std::int64_t Unlimited = std::int64_t(1) << 50;

QByteArray bigEndian32(quint32 v)
{
    QByteArray b(4, '\0');
    qToBigEndian(v, b.data());
    return b;
}

QByteArray pngChunk(const char *type, const QByteArray &data)
{
    QByteArray body = QByteArray(type, 4) + data;
    const quint32 crc = quint32(crc32(0, reinterpret_cast<const Bytef *>(body.constData()), uInt(body.size())));
    return bigEndian32(quint32(data.size())) + body + bigEndian32(crc);
}

QByteArray pngHeader(quint32 width, quint32 height, char bitDepth)
{
    return bigEndian32(width) + bigEndian32(height) + QByteArray(1, bitDepth) + QByteArray(4, '\0');
}

const QByteArray PngSignature("\x89PNG\r\n\x1a\n", 8);

// A valid grey PNG of zeros, deflated as it streams: zlib makes such a file
// honestly tiny, whatever its size.
QByteArray zeroPng(quint32 width, quint32 height)
{
    const qint64 rowBytes = 1 + (qint64(width) + 7) / 8; // filter byte, one bit a pixel
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
    return PngSignature + pngChunk("IHDR", pngHeader(width, height, 1)) + pngChunk("IDAT", out)
        + pngChunk("IEND", {});
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// Grain, so the JPEG's data is long enough to cut in a meaningful place.
QImage noisyPicture(int width, int height)
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

QByteArray jpegBomb()
{
    QByteArray jpeg = encoded(noisyPicture(16, 16), "JPG");
    const qsizetype sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    qToBigEndian<quint16>(60000, jpeg.data() + sof + 5); // height
    qToBigEndian<quint16>(60000, jpeg.data() + sof + 7); // width
    return jpeg;
}

QByteArray pngClaimingTooMuch()
{
    QByteArray png = encoded(noisyPicture(10, 10), "PNG");
    const qsizetype ihdr = png.indexOf("IHDR");
    // Width and height replaced; depth, colour type and the rest kept.
    const QByteArray patched = pngChunk("IHDR", bigEndian32(30000) + bigEndian32(30000) + png.mid(ihdr + 12, 5));
    return png.left(ihdr - 4) + patched + png.mid(ihdr + 4 + 13 + 4);
}

QByteArray bmpClaimingTooMuch()
{
    QByteArray bmp = encoded(noisyPicture(4, 4), "BMP");
    qToLittleEndian<qint32>(60000, bmp.data() + 18);
    qToLittleEndian<qint32>(60000, bmp.data() + 22);
    return bmp;
}

long peakResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        long value = 0;
        if (key == "VmHWM:" && status >> value)
            return value;
    }
    return -1;
}

} // namespace

class tst_PictureGuard : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void refusedFastWithoutAllocating_data();
    void refusedFastWithoutAllocating();
    void junkAfterTheEndMarkerStillLoads();
    void honestPicturesLoadInPlace_data();
    void honestPicturesLoadInPlace();
    void peakMemoryStayedSmall(); // last: it reads the whole run's peak

private:
    QTemporaryDir Dir;
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = Dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
};

void tst_PictureGuard::initTestCase()
{
    QVERIFY(Dir.isValid());
}

void tst_PictureGuard::refusedFastWithoutAllocating_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray whole = encoded(noisyPicture(400, 300), "JPG");
    const QByteArray zeros = zeroPng(30000, 30000);
    QVERIFY2(zeros.size() < (1 << 20), QByteArray::number(zeros.size()));
    QTest::newRow("JPEG of 770 bytes claiming 60000 x 60000") << jpegBomb();
    QTest::newRow("valid PNG of 30000 x 30000 zeros, under 1 MB") << zeros;
    QTest::newRow("PNG of a few hundred bytes claiming 30000 x 30000") << pngClaimingTooMuch();
    QTest::newRow("BMP of a few bytes claiming 60000 x 60000") << bmpClaimingTooMuch();
    QTest::newRow("JPEG cut at half its length") << whole.left(whole.size() / 2);
    QTest::newRow("BMP shorter than its header says") << encoded(noisyPicture(400, 300), "BMP").chopped(600);
}

void tst_PictureGuard::refusedFastWithoutAllocating()
{
    QFETCH(QByteArray, bytes);
    const QString path = write(QStringLiteral("bad"), bytes);
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!loadPicture(path, Unlimited));
    QVERIFY2(timer.elapsed() < 1000, QByteArray::number(timer.elapsed()) + " ms");
}

void tst_PictureGuard::junkAfterTheEndMarkerStillLoads()
{
    const QImage original = noisyPicture(400, 300);
    const QString path = write(QStringLiteral("junk.jpg"), encoded(original, "JPG") + QByteArray(1024, '\xA5'));
    const DecodedPicture decoded = loadPicture(path, Unlimited);
    QVERIFY(decoded);
    QCOMPARE(decoded.picture.size(), original.size());
}

void tst_PictureGuard::honestPicturesLoadInPlace_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QColor>("colour");
    QImage grey(300, 200, QImage::Format_Grayscale8);
    grey.fill(QColor(90, 90, 90));
    QImage red(300, 200, QImage::Format_RGB32);
    red.fill(Qt::red);
    QImage clear(300, 200, QImage::Format_ARGB32);
    clear.fill(QColor(0, 0, 255, 128));
    QImage indexed = red.convertToFormat(QImage::Format_Indexed8);
    QTest::newRow("colour JPEG") << encoded(red, "JPG") << QColor(254, 0, 0);
    QTest::newRow("grey JPEG") << encoded(grey, "JPG") << QColor(90, 90, 90);
    QTest::newRow("24-bit BMP") << encoded(red, "BMP") << QColor(Qt::red);
    QTest::newRow("8-bit BMP") << encoded(indexed, "BMP") << QColor(Qt::red);
    QTest::newRow("PNG with alpha") << encoded(clear, "PNG") << QColor(0, 0, 255, 128);
}

void tst_PictureGuard::honestPicturesLoadInPlace()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QColor, colour);
    const DecodedPicture decoded = loadPicture(write(QStringLiteral("good"), bytes), Unlimited);
    QVERIFY(decoded);
    const QImage *picture = &decoded.picture;
    QCOMPARE(picture->size(), QSize(300, 200));
    QVERIFY(picture->format() == QImage::Format_RGB32 || picture->format() == QImage::Format_ARGB32_Premultiplied);
    const QColor seen = picture->pixelColor(150, 100);
    QVERIFY2(std::abs(seen.red() - colour.red()) <= 2 && std::abs(seen.green() - colour.green()) <= 2
                 && std::abs(seen.blue() - colour.blue()) <= 2 && std::abs(seen.alpha() - colour.alpha()) <= 2,
             qPrintable(seen.name(QColor::HexArgb)));
}

// Every refusal above happened before a pixel was allocated: the test never
// held more than its own few tens of megabytes.
void tst_PictureGuard::peakMemoryStayedSmall()
{
    const long kib = peakResidentKiB();
    if (kib < 0)
        QSKIP("no /proc/self/status");
    QVERIFY2(kib < 100 * 1024, QByteArray::number(kib) + " KiB");
}

QTEST_MAIN(tst_PictureGuard)
#include "tst_pictureguard.moc"

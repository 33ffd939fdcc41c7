// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Judging picture files by their structure and claims, without decoding them.
#include "picturecheck/bmpheader.h"
#include "picturecheck/jpegstructure.h"
#include "picturecheck/plausibility.h"

#include <QTest>

#include <cstring>

using namespace pontiva;

namespace {

// A JPEG skeleton: SOI, a segment, SOFn, SOS with entropy data, EOI.
QByteArray jpeg(const QByteArray &entropy, char sof = '\xC0', bool end = true)
{
    QByteArray b("\xFF\xD8", 2);
    b += QByteArray("\xFF\xE0\x00\x04\x01\x02", 6);              // APP0, 2 bytes
    b += QByteArray("\xFF", 1) + sof + QByteArray("\x00\x0B\x08\x01\x2C\x01\x90\x01\x01\x11\x00", 11); // 400 x 300
    b += QByteArray("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00", 10);
    b += entropy;
    if (end)
        b += QByteArray("\xFF\xD9", 2);
    return b;
}

JpegStructure walk(const QByteArray &bytes, std::size_t chunk = 7)
{
    qsizetype pos = 0;
    return walkJpeg([&](std::uint8_t *buffer, std::size_t size) {
        const std::size_t n = std::min<std::size_t>({size, chunk, std::size_t(bytes.size() - pos)});
        std::memcpy(buffer, bytes.constData() + pos, n);
        pos += qsizetype(n);
        return n;
    });
}

} // namespace

class tst_PictureCheck : public QObject
{
    Q_OBJECT
private slots:
    void jpegStructure_data();
    void jpegStructure();
    void bmpHeader();
    void claims_data();
    void claims();
};

void tst_PictureCheck::jpegStructure_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<bool>("blockCostUnknown");

    const QByteArray data("\x12\x34\xFF\x00\x56\xFF\xD3\x78\xFF\xFF\x00\x9A", 12); // stuffing, restart, fill
    QTest::newRow("whole file") << jpeg(data) << true << false;
    QTest::newRow("junk after the end marker") << jpeg(data) + QByteArray(1024, '\xA5') << true << false;
    QTest::newRow("cut inside the entropy data") << jpeg(data, '\xC0', false) << false << false;
    QTest::newRow("cut inside a segment") << jpeg(data).left(8) << false << false;
    QTest::newRow("progressive, two scans")
        << jpeg(data + QByteArray("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00", 10) + data, '\xC2') << true << false;
    QTest::newRow("arithmetic coding") << jpeg(data, '\xC9') << true << true;
    QTest::newRow("lossless") << jpeg(data, '\xC3') << true << true;
    QTest::newRow("not a JPEG") << QByteArray("GIF89a") << false << false;
    QTest::newRow("empty") << QByteArray() << false << false;
    QTest::newRow("segment length below two") << QByteArray("\xFF\xD8\xFF\xE0\x00\x01", 6) << false << false;
}

void tst_PictureCheck::jpegStructure()
{
    QFETCH(QByteArray, bytes);
    for (const std::size_t chunk : {std::size_t(1), std::size_t(7), std::size_t(1) << 20}) {
        const JpegStructure s = walk(bytes, chunk);
        QTEST(s.complete, "complete");
        QTEST(s.blockCostUnknown, "blockCostUnknown");
        if (s.complete)
            QCOMPARE(QSize(s.width, s.height), QSize(400, 300));
    }
}

void tst_PictureCheck::bmpHeader()
{
    std::uint8_t h[54] = {'B', 'M'};
    auto put32 = [&h](int at, std::int32_t v) { std::memcpy(h + at, &v, 4); };
    put32(10, 54);  // pixel offset
    put32(14, 40);  // info header size
    put32(18, 101); // width
    put32(22, -30); // height, rows top-down
    h[28] = 24;     // bits per pixel
    BmpHeader b = readBmpHeader(h, sizeof h);
    QVERIFY(b.valid);
    QCOMPARE(b.height, 30);
    QCOMPARE(b.requiredBytes, 54 + 304 * 30); // 101 * 3 = 303 bytes, padded to 304
    QVERIFY(!b.runLength);

    put32(30, 1);    // RLE8
    put32(34, 999);  // coded size
    h[28] = 8;
    b = readBmpHeader(h, sizeof h);
    QVERIFY(b.runLength);
    QCOMPARE(b.requiredBytes, 54 + 999);

    QVERIFY(!readBmpHeader(h, 20).valid); // too short to say anything

    put32(30, 0);
    put32(18, INT32_MAX); // a claim no file can meet, and no overflow computing it
    put32(22, INT32_MIN);
    h[28] = 32;
    QCOMPARE(readBmpHeader(h, sizeof h).requiredBytes, INT64_MAX);

    put32(18, 0);
    QVERIFY(!readBmpHeader(h, sizeof h).valid);
}

void tst_PictureCheck::claims_data()
{
    QTest::addColumn<PictureClaim>("claim");
    QTest::addColumn<qint64>("budget");
    QTest::addColumn<Verdict>("verdict");
    const qint64 plenty = qint64(1) << 50;
    const qint64 mb = 1 << 20;

    QTest::newRow("20000 x 15000 scan of 8 MB")
        << PictureClaim{20000, 15000, 8 * mb, PictureCoding::HuffmanJpeg, 4} << plenty << Verdict::Plausible;
    QTest::newRow("the same with too little memory free")
        << PictureClaim{20000, 15000, 8 * mb, PictureCoding::HuffmanJpeg, 4} << qint64(1000) * mb
        << Verdict::OverTheBudget;
    QTest::newRow("grey scan, converted for display")
        << PictureClaim{20000, 15000, 4 * mb, PictureCoding::HuffmanJpeg, 5} << plenty << Verdict::Plausible;
    QTest::newRow("60000 x 60000 JPEG in 770 bytes")
        << PictureClaim{60000, 60000, 770, PictureCoding::HuffmanJpeg, 4} << plenty << Verdict::MoreThanTheFileHolds;
    QTest::newRow("blank page: 1 bit a block is still possible")
        << PictureClaim{8000, 6000, 8000 * 6000 / 512, PictureCoding::HuffmanJpeg, 4} << plenty << Verdict::Plausible;
    QTest::newRow("30000 x 30000 PNG in 300 bytes")
        << PictureClaim{30000, 30000, 300, PictureCoding::Png, 5} << plenty << Verdict::MoreThanTheFileHolds;
    QTest::newRow("30000 x 30000 PNG of zeros, honest")
        << PictureClaim{30000, 30000, 875000, PictureCoding::Png, 5} << plenty << Verdict::OverTheCap;
    QTest::newRow("30000 x 30000 run-length BMP")
        << PictureClaim{30000, 30000, 100, PictureCoding::Unbounded, 5} << plenty << Verdict::OverTheCap;
    QTest::newRow("side beyond any screen")
        << PictureClaim{std::int64_t(1) << 40, 1, 1 << 30, PictureCoding::Unbounded, 4} << plenty << Verdict::OverTheCap;
    QTest::newRow("no pixels") << PictureClaim{0, 100, 100, PictureCoding::Png, 4} << plenty << Verdict::Empty;
}

void tst_PictureCheck::claims()
{
    QFETCH(PictureClaim, claim);
    QFETCH(qint64, budget);
    QTEST(judgeClaim(claim, budget), "verdict");
}

QTEST_APPLESS_MAIN(tst_PictureCheck)
#include "tst_picturecheck.moc"

// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Calibrations remembered per picture: exact round trips, damaged files ignored, the oldest dropped.
#include "calibration/storedcalibration.h"

#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <thread>

using namespace pontiva;

namespace {

StoredCalibration sample()
{
    StoredCalibration c;
    c.width = 800;
    c.height = 600;
    c.x0 = "1e-3";
    c.x1 = "10 kPa, ±"; // anything a field may hold
    c.y0 = "";
    c.y2 = "0.1";
    c.xLog = true;
    c.points.place(0, 12.345678f, 0.1f);
    c.points.place(1, 99.99999f, 1.0f / 3);
    c.points.place(2, 0.0f, 87.5f);
    return c;
}

bool same(const StoredCalibration &a, const StoredCalibration &b)
{
    const CalibrationState &p = a.points, &q = b.points;
    return a.width == b.width && a.height == b.height && a.x0 == b.x0 && a.x1 == b.x1 && a.y0 == b.y0
        && a.y2 == b.y2 && a.xLog == b.xLog && a.yLog == b.yLog && p.XCanto0 == q.XCanto0 && p.YCanto0 == q.YCanto0
        && p.XCanto1 == q.XCanto1 && p.YCanto1 == q.YCanto1 && p.XCanto2 == q.XCanto2 && p.YCanto2 == q.YCanto2
        && q.allDefined();
}

} // namespace

class tst_StoredCalibration : public QObject
{
    Q_OBJECT
private slots:
    void roundTripIsExact();
    void damagedRecordsAreRefused_data();
    void damagedRecordsAreRefused();
    void storedFoundAndPruned();
    void hashIgnoresHowBytesArrive();
};

void tst_StoredCalibration::roundTripIsExact()
{
    const auto back = parseCalibration(serializeCalibration(sample()));
    QVERIFY(back && same(*back, sample()));
}

void tst_StoredCalibration::damagedRecordsAreRefused_data()
{
    QTest::addColumn<QByteArray>("text");
    const QByteArray good = QByteArray::fromStdString(serializeCalibration(sample()));
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("cut short") << good.left(good.size() - 3);
    QTest::newRow("another format") << QByteArray(good).replace("pontiva-calibration 1", "pontiva-calibration 2");
    QTest::newRow("odd hexadecimal") << QByteArray(good).replace("x0 31", "x0 3");
    QTest::newRow("a point off the picture") << QByteArray(good).replace("point2 0 ", "point2 1e9 ");
    QTest::newRow("not a number") << QByteArray(good).replace("size 800", "size eight");
    QTest::newRow("binary junk") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0", 12);
}

void tst_StoredCalibration::damagedRecordsAreRefused()
{
    QFETCH(QByteArray, text);
    QVERIFY(!parseCalibration(std::string_view(text.constData(), std::size_t(text.size()))));
}

void tst_StoredCalibration::storedFoundAndPruned()
{
    QTemporaryDir dir;
    const CalibrationMemory memory(dir.filePath(QStringLiteral("calibrations")).toStdString(), 3);
    QVERIFY(!memory.find(1, 800, 600)); // nothing yet, not even the folder
    for (std::uint64_t key = 1; key <= 5; ++key) {
        QVERIFY(memory.store(key, sample()));
        std::this_thread::sleep_for(std::chrono::milliseconds(5)); // distinct ages
    }
    QVERIFY(!memory.find(1, 800, 600) && !memory.find(2, 800, 600)); // the oldest went
    const auto found = memory.find(5, 800, 600);
    QVERIFY(found && same(*found, sample()));
    QVERIFY(!memory.find(5, 600, 800)); // another picture's size: never offered
    std::ofstream(memory.fileFor(4), std::ios::trunc) << "pontiva-calibration 1\nsize 800 600\n";
    QVERIFY(!memory.find(4, 800, 600));
}

void tst_StoredCalibration::hashIgnoresHowBytesArrive()
{
    std::string bytes(1000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7 + 3);
    ContentHash whole, pieces;
    whole.add(bytes.data(), bytes.size());
    for (std::size_t at = 0, step = 1; at < bytes.size(); at += step, step = step % 13 + 1)
        pieces.add(bytes.data() + at, std::min(step, bytes.size() - at));
    QCOMPARE(pieces.value(), whole.value());
    bytes[500] ^= 1;
    ContentHash changed;
    changed.add(bytes.data(), bytes.size());
    QVERIFY(changed.value() != whole.value());
    ContentHash shorter;
    shorter.add(bytes.data(), bytes.size() - 1);
    QVERIFY(shorter.value() != whole.value());
}

QTEST_APPLESS_MAIN(tst_StoredCalibration)
#include "tst_storedcalibration.moc"

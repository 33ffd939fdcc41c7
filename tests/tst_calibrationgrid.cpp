// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The calibrated grid lies where the map reads its values; what half a pixel is worth.
#include "calibration/calibrationgrid.h"

#include <QTest>

#include <cmath>

using namespace pontiva;
Q_DECLARE_METATYPE(pontiva::CalibrationInputs)

namespace {

// Logical 0..100 on a 1000 x 1000 picture: a pixel is 0.1 logical units.
constexpr double Pixel = 0.1;

CalibrationInputs setup(double x0, double x1, double y0, double y2, bool xLog, bool yLog, float p1x, float p1y,
                        float p2x, float p2y)
{
    CalibrationInputs in;
    in.x0 = x0, in.x1 = x1, in.y0 = y0, in.y2 = y2, in.xLog = xLog, in.yLog = yLog;
    in.XCanto0 = 10, in.YCanto0 = 10;
    in.XCanto1 = p1x, in.YCanto1 = p1y, in.XCanto2 = p2x, in.YCanto2 = p2y;
    return in;
}

} // namespace

class tst_CalibrationGrid : public QObject
{
    Q_OBJECT
private slots:
    void linesLieWhereTheMapReadsTheirValue_data();
    void linesLieWhereTheMapReadsTheirValue();
    void noGridWithoutASoundMap();
    void clippedToTheArea();
};

void tst_CalibrationGrid::linesLieWhereTheMapReadsTheirValue_data()
{
    QTest::addColumn<CalibrationInputs>("in");
    QTest::addColumn<int>("fewestX"); // lines of constant X, at least
    QTest::addColumn<int>("fewestY");
    QTest::newRow("linear") << setup(0, 8, 0, 4, false, false, 90, 10, 10, 90) << 5 << 5;
    QTest::newRow("sheared and rotated") << setup(-3, 12, 100, 250, false, false, 85, 25, 20, 95) << 5 << 5;
    QTest::newRow("log X over four decades") << setup(1, 1e4, 0, 1, true, false, 90, 10, 10, 90) << 4 << 5;
    QTest::newRow("log Y over two decades, with 2 to 9") << setup(0, 1, 0.1, 10, false, true, 90, 10, 10, 90) << 5
                                                         << 20;
    QTest::newRow("a huge linear range") << setup(0, 1e30, 0, 4, false, false, 90, 10, 10, 90) << 5 << 5;
    QTest::newRow("log X over 30 decades") << setup(1, 1e30, 0, 4, true, false, 90, 10, 10, 90) << 5 << 5;
}

void tst_CalibrationGrid::linesLieWhereTheMapReadsTheirValue()
{
    QFETCH(CalibrationInputs, in);
    QFETCH(int, fewestX);
    QFETCH(int, fewestY);
    const Transform t = computeTransform(in);
    const std::vector<GridLine> lines = calibrationGrid(in, t);
    const auto worth = halfPixelWorth(in, t, Pixel, Pixel);
    QVERIFY(worth);
    int countX = 0, countY = 0;
    for (const GridLine &line : lines) {
        (line.constantX ? countX : countY) += 1;
        for (const auto &[x, y] : {std::pair{line.x1, line.y1}, std::pair{line.x2, line.y2}}) {
            QVERIFY(x >= -1e-9 && x <= 100 + 1e-9 && y >= -1e-9 && y <= 100 + 1e-9);
            const DataReading r = mapToData(t, float(x), float(y), in.XCanto0, in.YCanto0, in.x0, in.y0, in.xLog,
                                            in.yLog);
            const double read = *(line.constantX ? r.x : r.y);
            const bool log = line.constantX ? in.xLog : in.yLog;
            // Within a hundredth of a pixel: a fiftieth of half a pixel's worth.
            const double off = log ? std::abs(read / line.value - 1) : std::abs(read - line.value);
            const double allowed = (line.constantX ? worth->x : worth->y) / 50 + 1e-12 * std::abs(line.value);
            QVERIFY2(off <= allowed, qPrintable(QStringLiteral("%1 read as %2").arg(line.value).arg(read)));
        }
    }
    QVERIFY2(countX >= fewestX && countX <= 20, qPrintable(QString::number(countX)));
    QVERIFY2(countY >= fewestY && countY <= (in.yLog ? 30 : 20), qPrintable(QString::number(countY)));
}

void tst_CalibrationGrid::noGridWithoutASoundMap()
{
    const CalibrationInputs collinear = setup(0, 8, 0, 4, false, false, 50, 50, 90, 90);
    QVERIFY(calibrationGrid(collinear, computeTransform(collinear)).empty());
    const CalibrationInputs negativeLog = setup(-1, 10, 0, 4, true, false, 90, 10, 10, 90);
    QVERIFY(calibrationGrid(negativeLog, computeTransform(negativeLog)).empty());
    QVERIFY(!halfPixelWorth(negativeLog, computeTransform(negativeLog), Pixel, Pixel));
    const CalibrationInputs noScale = setup(0, 0, 0, 4, false, false, 90, 10, 10, 90);
    QVERIFY(calibrationGrid(noScale, computeTransform(noScale)).empty());
}

void tst_CalibrationGrid::clippedToTheArea()
{
    const GridLine diagonal{1, true, 0, 0, 100, 100};
    const auto inside = clipLine(diagonal, {20, 30, 60, 90});
    QVERIFY(inside);
    QCOMPARE(inside->x1, 30.0);
    QCOMPARE(inside->y1, 30.0);
    QCOMPARE(inside->x2, 60.0);
    QVERIFY(!clipLine(diagonal, {60, 0, 100, 40}));
}

QTEST_APPLESS_MAIN(tst_CalibrationGrid)
#include "tst_calibrationgrid.moc"

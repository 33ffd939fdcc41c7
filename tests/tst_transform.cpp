// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The calibration transform: worked readings, failed axes, range limits.
#include "calibration/log10.h"
#include "calibration/numberparsing.h"
#include "calibration/transform.h"
#include "reading/numberformat.h"
#include "reading/readingengine.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace pontiva;

namespace {

// One calibration as the user sets it up: four typed texts, two boxes and
// three clicked points.
struct Setup {
    const char *x0, *x1, *y0, *y2;
    bool xLog, yLog;
    float p0x, p0y, p1x, p1y, p2x, p2y;

    CalibrationInputs inputs() const
    {
        CalibrationInputs in;
        in.x0 = parseNumber(x0);
        in.x1 = parseNumber(x1);
        in.y0 = parseNumber(y0);
        in.y2 = parseNumber(y2);
        in.xLog = xLog;
        in.yLog = yLog;
        in.XCanto0 = p0x;
        in.YCanto0 = p0y;
        in.XCanto1 = p1x;
        in.YCanto1 = p1y;
        in.XCanto2 = p2x;
        in.YCanto2 = p2y;
        return in;
    }
};

// Clicked points shared by the axis-aligned examples.
constexpr float kAligned[] = {10, 10, 90, 10, 10, 90};

Setup aligned(const char *x0, const char *x1, const char *y0, const char *y2, bool xLog = false,
              bool yLog = false)
{
    const float *p = kAligned;
    return {x0, x1, y0, y2, xLog, yLog, p[0], p[1], p[2], p[3], p[4], p[5]};
}

const Setup kExampleA = aligned("0", "8", "0", "4");
const Setup kExampleB = {"0", "6", "0", "5", false, false, 20, 20, 80, 30, 25, 70};
const Setup kExampleC = aligned("1", "1000", "0", "4", true);
const Setup kExampleD = aligned("1", "1000", "0.1", "100", true, true);

// The whole pipeline of a pointer move, as the reading engine runs it.
DataReading readAt(const Setup &s, float x, float y)
{
    CalibrationState points;
    points.place(0, s.p0x, s.p0y);
    points.place(1, s.p1x, s.p1y);
    points.place(2, s.p2x, s.p2y);
    return readPosition({s.x0, s.x1, s.y0, s.y2, s.xLog, s.yLog}, points, x, y).data;
}

QString text(const std::optional<double> &v)
{
    return v ? QString::fromStdString(formatReading(*v, '.')) : QStringLiteral("none");
}

bool closeTo(double actual, double expected, double relative)
{
    return std::abs(actual - expected) <= relative * std::max(1.0, std::abs(expected));
}

} // namespace

Q_DECLARE_METATYPE(Setup)
Q_DECLARE_METATYPE(AxisStatus)

class tst_Transform : public QObject {
    Q_OBJECT
private slots:
    void log10MatchesLnRatio();
    void coefficients_data();
    void coefficients();
    void readout_data();
    void readout();
    void shearedFrameReadsItsPoints();
    void collinearIsToldApartFromAFailedAxis();
    void axisStatus_data();
    void axisStatus();
    void readsBackReferencePoints_data();
    void readsBackReferencePoints();
};

void tst_Transform::log10MatchesLnRatio()
{
    QCOMPARE(Log10(0), 0.0);
    QCOMPARE(Log10(1), 0.0);
    // ln(1000)/ln(10) is one ulp short of 3, unlike std::log10; the readings
    // depend on that last bit.
    QCOMPARE(Log10(1000), 2.9999999999999996);
    QVERIFY(Log10(1000) != std::log10(1000.0));
    QVERIFY(std::isnan(Log10(-1)));
}

void tst_Transform::coefficients_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<float>("kXX");
    QTest::addColumn<float>("kXY");
    QTest::addColumn<float>("kYX");
    QTest::addColumn<float>("kYY");

    QTest::newRow("axis aligned linear") << kExampleA << 0.1f << 0.0f << 0.0f << 0.05f;
    QTest::newRow("rotated and sheared")
        << kExampleB << 0.1016949f << -0.01016949f << -0.01694915f << 0.1016949f;
    QTest::newRow("log x") << kExampleC << 0.0375f << 0.0f << 0.0f << 0.05f;
    QTest::newRow("both log") << kExampleD << 0.0375f << 0.0f << 0.0f << 0.0375f;
}

void tst_Transform::coefficients()
{
    QFETCH(Setup, setup);
    QFETCH(float, kXX);
    QFETCH(float, kXY);
    QFETCH(float, kYX);
    QFETCH(float, kYY);
    const Transform t = computeTransform(setup.inputs());
    QCOMPARE(t.xAxis, AxisStatus::Valid);
    QCOMPARE(t.yAxis, AxisStatus::Valid);
    QVERIFY(t.inRange);
    // The expected values carry seven digits; single precision carries a
    // few more.
    QVERIFY2(closeTo(t.kXX, kXX, 1e-6), QByteArray::number(t.kXX, 'g', 9));
    QVERIFY2(closeTo(t.kXY, kXY, 1e-6), QByteArray::number(t.kXY, 'g', 9));
    QVERIFY2(closeTo(t.kYX, kYX, 1e-6), QByteArray::number(t.kYX, 'g', 9));
    QVERIFY2(closeTo(t.kYY, kYY, 1e-6), QByteArray::number(t.kYY, 'g', 9));
}

void tst_Transform::readout_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<QString>("expectedX");
    QTest::addColumn<QString>("expectedY");

    QTest::newRow("axis aligned linear") << kExampleA << 50.f << 30.f << "4.0000E+00" << "1.0000E+00";
    QTest::newRow("rotated and sheared") << kExampleB << 50.f << 50.f << "2.7458E+00" << "2.5424E+00";
    QTest::newRow("log x") << kExampleC << 50.f << 30.f << "3.1623E+01" << "1.0000E+00";
    QTest::newRow("both log") << kExampleD << 50.f << 30.f << "3.1623E+01" << "5.6234E-01";
    QTest::newRow("log x zero reads as one")
        << aligned("0", "1000", "0", "4", true) << 50.f << 30.f << "3.1623E+01" << "1.0000E+00";
    QTest::newRow("log reading below the first value")
        << kExampleC << 0.f << 10.f << "4.2170E-01" << "0.0000E+00";

    // Points on one line span no area: no position has a reading, instead
    // of point 0's values everywhere.
    QTest::newRow("collinear points")
        << Setup{"2", "10", "3", "7", false, false, 10, 10, 50, 50, 90, 90} << 37.f << 61.f
        << "none" << "none";
    QTest::newRow("collinear points, log axes")
        << Setup{"5", "50", "0.2", "20", true, true, 10, 10, 50, 50, 90, 90} << 37.f << 61.f
        << "none" << "none";
    QTest::newRow("point 1 on point 0")
        << Setup{"2", "10", "3", "7", false, false, 10, 10, 10, 10, 10, 90} << 37.f << 61.f
        << "none" << "none";
    QTest::newRow("all three on one spot")
        << Setup{"2", "10", "3", "7", false, false, 50, 50, 50, 50, 50, 50} << 50.f << 50.f
        << "none" << "none";
    QTest::newRow("point 2 on the X axis")
        << Setup{"0", "10", "0", "5", false, false, 10, 10, 90, 10, 50, 10} << 50.f << 30.f
        << "none" << "none";

    // A failed axis leaves the frame without a scale: neither axis has a
    // reading (the other would otherwise read its first value everywhere).
    QTest::newRow("equal x values") << aligned("1", "1.0", "0", "4") << 50.f << 30.f << "none"
                                    << "none";
    QTest::newRow("equal y values") << aligned("0", "8", "2", "2") << 50.f << 30.f
                                    << "none" << "none";
    QTest::newRow("negative on log axis") << aligned("-1", "1000", "0", "4", true) << 50.f << 30.f
                                          << "none" << "none";
    QTest::newRow("zero span on log axis") << aligned("0", "4", "1", "0", false, true) << 50.f
                                           << 30.f << "none" << "none";
    QTest::newRow("typed value overflows") << aligned("0", "1e999", "0", "4") << 50.f << 30.f
                                           << "none" << "none";
    QTest::newRow("linear span overflows") << aligned("-1e308", "1e308", "0", "4") << 50.f
                                           << 30.f << "none" << "none";

    QTest::newRow("scale beyond float range")
        << aligned("0", "1e-300", "0", "4") << 50.f << 30.f << "none" << "none";
    QTest::newRow("scale below float range")
        << aligned("0", "1e300", "0", "4") << 50.f << 30.f << "none" << "none";
    QTest::newRow("determinant beyond float range")
        << aligned("0", "1e-18", "0", "1e-18") << 50.f << 30.f << "none" << "none";
    QTest::newRow("coefficient beyond float range")
        << aligned("0", "1e41", "0", "1e-8") << 50.f << 30.f << "none" << "none";
    QTest::newRow("log reading beyond double range")
        << Setup{"1", "1e300", "0", "4", true, false, 10, 10, 11, 10, 10, 90} << 100.f << 10.f
        << "none" << "0.0000E+00";
}

void tst_Transform::readout()
{
    QFETCH(Setup, setup);
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(QString, expectedX);
    QFETCH(QString, expectedY);
    const DataReading r = readAt(setup, x, y);
    QCOMPARE(text(r.x), expectedX);
    QCOMPARE(text(r.y), expectedY);
}

void tst_Transform::shearedFrameReadsItsPoints()
{
    const DataReading onPoint1 = readAt(kExampleB, 80, 30);
    const DataReading onPoint2 = readAt(kExampleB, 25, 70);
    QVERIFY(onPoint1.x && onPoint1.y && onPoint2.x && onPoint2.y);
    QVERIFY2(closeTo(*onPoint1.x, 6, 1e-6), QByteArray::number(*onPoint1.x, 'g', 12));
    QVERIFY2(closeTo(*onPoint1.y, 0, 1e-6), QByteArray::number(*onPoint1.y, 'g', 12));
    QVERIFY2(closeTo(*onPoint2.x, 0, 1e-6), QByteArray::number(*onPoint2.x, 'g', 12));
    QVERIFY2(closeTo(*onPoint2.y, 5, 1e-6), QByteArray::number(*onPoint2.y, 'g', 12));
}

// The window words its refusal differently for points on one line (place
// them again) and for an axis with equal values (which it resets itself).
void tst_Transform::collinearIsToldApartFromAFailedAxis()
{
    const Setup onALine{"2", "10", "3", "7", false, false, 10, 10, 50, 50, 90, 90};
    QVERIFY(computeTransform(onALine.inputs()).collinear);
    Setup equalX = onALine;
    equalX.x1 = "2";
    const Transform t = computeTransform(equalX.inputs());
    QCOMPARE(t.xAxis, AxisStatus::EqualValues);
    QVERIFY(!t.collinear);
    QVERIFY(!computeTransform(kExampleB.inputs()).collinear);
}

void tst_Transform::axisStatus_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<AxisStatus>("x");
    QTest::addColumn<AxisStatus>("y");
    QTest::addColumn<bool>("inRange");

    QTest::newRow("valid") << kExampleD << AxisStatus::Valid << AxisStatus::Valid << true;
    QTest::newRow("one and one point zero") << aligned("1", "1.0", "0", "4")
                                            << AxisStatus::EqualValues << AxisStatus::Valid << true;
    QTest::newRow("empty field equals zero") << aligned("0", "8", "", "0")
                                             << AxisStatus::Valid << AxisStatus::EqualValues << true;
    QTest::newRow("equal values on log axis") << aligned("-2", "-2", "0", "4", true)
                                              << AxisStatus::EqualValues << AxisStatus::Valid
                                              << true;
    QTest::newRow("negative second value on log axis")
        << aligned("0", "8", "10", "-10", false, true) << AxisStatus::Valid
        << AxisStatus::NoSoundValue << true;
    QTest::newRow("negative is fine on linear axis")
        << aligned("-10", "-1", "0", "4") << AxisStatus::Valid << AxisStatus::Valid << true;
    QTest::newRow("zero and one on log axis") << aligned("1", "0", "0", "4", true)
                                              << AxisStatus::NoSoundValue << AxisStatus::Valid
                                              << true;
    QTest::newRow("negative overflow") << aligned("0", "8", "-1e999", "4")
                                       << AxisStatus::Valid << AxisStatus::NoSoundValue << true;
    QTest::newRow("both infinite are equal") << aligned("1e999", "1e999", "0", "4")
                                             << AxisStatus::EqualValues << AxisStatus::Valid
                                             << true;
    QTest::newRow("scale beyond float range") << aligned("0", "1e-300", "0", "4")
                                              << AxisStatus::Valid << AxisStatus::Valid << false;
    QTest::newRow("scale below float range") << aligned("0", "1e300", "0", "4")
                                             << AxisStatus::Valid << AxisStatus::Valid << false;
    QTest::newRow("determinant below float range") << aligned("0", "1e30", "0", "1e30")
                                                   << AxisStatus::Valid << AxisStatus::Valid << false;
}

void tst_Transform::axisStatus()
{
    QFETCH(Setup, setup);
    QFETCH(AxisStatus, x);
    QFETCH(AxisStatus, y);
    QFETCH(bool, inRange);
    const Transform t = computeTransform(setup.inputs());
    QCOMPARE(t.xAxis, x);
    QCOMPARE(t.yAxis, y);
    QCOMPARE(t.inRange, inRange);
    if (x != AxisStatus::Valid || y != AxisStatus::Valid || !inRange) {
        QCOMPARE(t.kXX, 0.0f);
        QCOMPARE(t.kXY, 0.0f);
        QCOMPARE(t.kYX, 0.0f);
        QCOMPARE(t.kYY, 0.0f);
    }
}

void tst_Transform::readsBackReferencePoints_data()
{
    QTest::addColumn<double>("x0");
    QTest::addColumn<double>("x1");
    QTest::addColumn<double>("y0");
    QTest::addColumn<double>("y2");
    QTest::addColumn<bool>("xLog");
    QTest::addColumn<bool>("yLog");
    QTest::addColumn<double>("degrees");

    QTest::newRow("linear, rotated 3 degrees") << -3.0 << 17.5 << 100.0 << 250.0 << false << false << 3.0;
    QTest::newRow("linear, rotated -5 degrees") << 0.5 << 0.75 << -1e-3 << 4e-3 << false << false << -5.0;
    QTest::newRow("log x, rotated 2 degrees") << 0.01 << 100.0 << 5.0 << 9.0 << true << false << 2.0;
    QTest::newRow("both log, rotated -4 degrees") << 3.0 << 3e4 << 1e-6 << 1e-2 << true << true << -4.0;
}

// Builds the clicked points from a frame rotated and scaled differently in x
// and y, then checks that the three typed values and one inner point read back.
void tst_Transform::readsBackReferencePoints()
{
    QFETCH(double, x0);
    QFETCH(double, x1);
    QFETCH(double, y0);
    QFETCH(double, y2);
    QFETCH(bool, xLog);
    QFETCH(bool, yLog);
    QFETCH(double, degrees);

    const double theta = degrees * M_PI / 180;
    const double ox = 12.5, oy = 8.25;
    auto axisCoord = [](double v, bool log) { return log ? std::log10(v) : v; };
    const double spanX = axisCoord(x1, xLog) - axisCoord(x0, xLog);
    const double spanY = axisCoord(y2, yLog) - axisCoord(y0, yLog);
    // Pixels per data unit (or decade): 80 px along x, 60 px along y.
    const double sx = 80 / spanX, sy = 60 / spanY;
    auto pixel = [&](double u, double v) {
        // u, v in axis units relative to point 0
        return std::pair<float, float>(float(ox + std::cos(theta) * sx * u - std::sin(theta) * sy * v),
                                       float(oy + std::sin(theta) * sx * u + std::cos(theta) * sy * v));
    };

    CalibrationInputs in;
    in.x0 = x0;
    in.x1 = x1;
    in.y0 = y0;
    in.y2 = y2;
    in.xLog = xLog;
    in.yLog = yLog;
    in.XCanto0 = float(ox);
    in.YCanto0 = float(oy);
    std::tie(in.XCanto1, in.YCanto1) = pixel(spanX, 0);
    std::tie(in.XCanto2, in.YCanto2) = pixel(0, spanY);
    const Transform t = computeTransform(in);
    QVERIFY(t.inRange);

    const struct {
        double u, v;
    } probes[] = {{0, 0}, {spanX, 0}, {0, spanY}, {0.3 * spanX, 0.7 * spanY}};
    for (const auto &probe : probes) {
        const auto [px, py] = pixel(probe.u, probe.v);
        const DataReading r = mapToData(t, px, py, in.XCanto0, in.YCanto0, x0, y0, xLog, yLog);
        QVERIFY(r.x && r.y);
        // Compare in axis units; single precision coefficients and pixel
        // positions leave a few parts in 10^6 of the span.
        const double gotU = axisCoord(*r.x, xLog) - axisCoord(x0, xLog);
        const double gotV = axisCoord(*r.y, yLog) - axisCoord(y0, yLog);
        QVERIFY2(std::abs(gotU - probe.u) <= 1e-5 * std::abs(spanX),
                 QByteArray::number(gotU, 'g', 12) + " vs " + QByteArray::number(probe.u, 'g', 12));
        QVERIFY2(std::abs(gotV - probe.v) <= 1e-5 * std::abs(spanY),
                 QByteArray::number(gotV, 'g', 12) + " vs " + QByteArray::number(probe.v, 'g', 12));
    }
}

QTEST_APPLESS_MAIN(tst_Transform)
#include "tst_transform.moc"

// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The readout's "#.0000E+00" text: rounding, carries, exponent width, separator.
#include "reading/numberformat.h"

#include <QRegularExpression>
#include <QTest>

#include <clocale>
#include <limits>

using pontiva::formatReading;

class tst_NumberFormat : public QObject {
    Q_OBJECT
private slots:
    void format_data();
    void format();
    void ignoresProcessLocale();
    void shapeAcrossRange();
};

void tst_NumberFormat::format_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<char>("separator");
    QTest::addColumn<QString>("expected");

    QTest::newRow("small integer") << 4.0 << '.' << "4.0000E+00";
    QTest::newRow("square root of 1000") << 31.622777 << '.' << "3.1623E+01";
    QTest::newRow("fraction") << 0.56234133 << '.' << "5.6234E-01";
    QTest::newRow("negative") << -2.5 << '.' << "-2.5000E+00";
    QTest::newRow("rounds up") << 123456.0 << '.' << "1.2346E+05";
    // Only values exact in binary can tie; they go to the even digit.
    QTest::newRow("exact tie rounds to even") << 123465.0 << '.' << "1.2346E+05";
    QTest::newRow("exact tie rounds to even, up") << 123475.0 << '.' << "1.2348E+05";
    // The double nearest 0.0012345 is 0.00123449999999999992...; the digit
    // after it still rounds the fourth decimal up.
    QTest::newRow("small fraction") << 0.0012345 << '.' << "1.2345E-03";
    QTest::newRow("comma separator") << 0.0012345 << ',' << "1,2345E-03";
    QTest::newRow("rounds by binary value") << 0.00012345 << '.' << "1.2345E-04";
    QTest::newRow("binary value just below half") << 2.00005 << '.' << "2.0000E+00";
    QTest::newRow("binary value just above half") << 1.00005 << '.' << "1.0001E+00";
    QTest::newRow("carry into exponent") << 9.99995 << '.' << "1.0000E+01";
    QTest::newRow("carry into exponent, negative") << -9.99995 << '.' << "-1.0000E+01";
    QTest::newRow("carry into negative exponent") << 0.0999996 << '.' << "1.0000E-01";
    QTest::newRow("no carry") << 9.99994 << '.' << "9.9999E+00";
    QTest::newRow("zero") << 0.0 << '.' << "0.0000E+00";
    QTest::newRow("zero with comma") << 0.0 << ',' << "0,0000E+00";
    QTest::newRow("negative zero") << -0.0 << '.' << "0.0000E+00";
    QTest::newRow("three digit exponent") << 1e100 << '.' << "1.0000E+100";
    QTest::newRow("three digit negative exponent") << 1e-308 << '.' << "1.0000E-308";
    QTest::newRow("largest double") << std::numeric_limits<double>::max() << '.' << "1.7977E+308";
    QTest::newRow("smallest denormal") << std::numeric_limits<double>::denorm_min() << ','
                                       << "4,9407E-324";
    QTest::newRow("negative denormal") << -4.9e-324 << '.' << "-4.9407E-324";
}

void tst_NumberFormat::format()
{
    QFETCH(double, value);
    QFETCH(char, separator);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(formatReading(value, separator)), expected);
}

void tst_NumberFormat::ignoresProcessLocale()
{
    // A German process locale must not turn the chosen '.' into ','.
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        QSKIP("de_DE.UTF-8 locale not installed");
    const std::string text = formatReading(1.5, '.');
    std::setlocale(LC_NUMERIC, "C");
    QCOMPARE(QString::fromStdString(text), QStringLiteral("1.5000E+00"));
}

void tst_NumberFormat::shapeAcrossRange()
{
    // Every power of two across the double range, both signs and separators:
    // catches a stray "10." mantissa or a one-digit exponent anywhere.
    static const QRegularExpression shape(QStringLiteral("^-?[1-9][.,][0-9]{4}E[+-][0-9]{2,3}$"));
    for (int e = -1074; e <= 1023; ++e) {
        for (const double sign : {1.0, -1.0}) {
            const double v = sign * std::ldexp(1.0, e);
            const QString text = QString::fromStdString(formatReading(v, e % 2 ? ',' : '.'));
            QVERIFY2(shape.match(text).hasMatch(), qPrintable(text));
            QCOMPARE(text.startsWith('-'), sign < 0);
        }
    }
}

QTEST_APPLESS_MAIN(tst_NumberFormat)
#include "tst_numberformat.moc"

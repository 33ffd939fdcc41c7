// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Reading typed reference values: blanks, partial numbers, range limits.
#include "calibration/numberparsing.h"

#include <QTest>

#include <cmath>
#include <limits>
#include <string>

using pontiva::parseNumber;

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();

QByteArray describe(double v)
{
    return QByteArray::number(v, 'g', 17);
}

} // namespace

class tst_NumberParsing : public QObject {
    Q_OBJECT
private slots:
    void readsLeadingNumber_data();
    void readsLeadingNumber();
    void zeroIsNeverNegative();
    void staysInsideView();
    void wholeOrPartlyRead_data();
    void wholeOrPartlyRead();
};

void tst_NumberParsing::readsLeadingNumber_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("expected");

    QTest::newRow("empty") << QByteArray("") << 0.0;
    QTest::newRow("only blanks") << QByteArray(" \t\r\n") << 0.0;
    QTest::newRow("integer") << QByteArray("42") << 42.0;
    QTest::newRow("blank inside digits") << QByteArray("1 2") << 12.0;
    QTest::newRow("blank after sign") << QByteArray("- 5") << -5.0;
    QTest::newRow("blanks of every kind everywhere")
        << QByteArray("\t+\n3\r. 5 e\t1") << 35.0;
    QTest::newRow("explicit plus") << QByteArray("+7") << 7.0;
    QTest::newRow("decimal point") << QByteArray("2.25") << 2.25;
    QTest::newRow("no integer part") << QByteArray(".5") << 0.5;
    QTest::newRow("no fraction part") << QByteArray("5.") << 5.0;
    QTest::newRow("second point stops") << QByteArray("1.2.3") << 1.2;
    QTest::newRow("comma is not a decimal point") << QByteArray("1,5") << 1.0;
    QTest::newRow("trailing letters") << QByteArray("12abc") << 12.0;
    QTest::newRow("upper exponent") << QByteArray("1E3") << 1000.0;
    QTest::newRow("negative exponent") << QByteArray("25e-4") << 0.0025;
    QTest::newRow("signed mantissa and exponent") << QByteArray("-.5e+1") << -5.0;
    QTest::newRow("exponent without digits") << QByteArray("1e") << 1.0;
    QTest::newRow("exponent with sign only") << QByteArray("1e+") << 1.0;
    QTest::newRow("exponent followed by letter") << QByteArray("1ex") << 1.0;
    QTest::newRow("exponent stops at second sign") << QByteArray("2e+-3") << 2.0;
    QTest::newRow("exponent stops at point") << QByteArray("2e1.5") << 20.0;
    QTest::newRow("lone point") << QByteArray(".") << 0.0;
    QTest::newRow("lone minus") << QByteArray("-") << 0.0;
    QTest::newRow("lone plus") << QByteArray("+") << 0.0;
    QTest::newRow("double sign") << QByteArray("--5") << 0.0;
    QTest::newRow("mixed double sign") << QByteArray("+-5") << 0.0;
    QTest::newRow("exponent without mantissa") << QByteArray("e5") << 0.0;
    QTest::newRow("point then exponent") << QByteArray(".e5") << 0.0;
    QTest::newRow("letters") << QByteArray("abc") << 0.0;
    QTest::newRow("infinity word is not a number") << QByteArray("inf") << 0.0;
    QTest::newRow("nan word is not a number") << QByteArray("nan") << 0.0;
    QTest::newRow("hex prefix stops at x") << QByteArray("0x10") << 0.0;
    QTest::newRow("no-break space is not a blank") << QByteArray("\xc2\xa0" "5") << 0.0;
    QTest::newRow("embedded nul stops") << QByteArray("1\0" "2", 3) << 1.0;
    QTest::newRow("leading zeros") << QByteArray("000123.4500") << 123.45;
    QTest::newRow("largest double") << QByteArray("1.7976931348623157e308")
                                    << std::numeric_limits<double>::max();
    QTest::newRow("just beyond largest double") << QByteArray("1.8e308") << inf;
    QTest::newRow("overflow") << QByteArray("1e999") << inf;
    QTest::newRow("negative overflow") << QByteArray("-1e999") << -inf;
    QTest::newRow("underflow") << QByteArray("1e-999") << 0.0;
    QTest::newRow("negative underflow") << QByteArray("-1e-999") << 0.0;
    QTest::newRow("smallest denormal") << QByteArray("4.9e-324")
                                       << std::numeric_limits<double>::denorm_min();
    QTest::newRow("below half the smallest denormal") << QByteArray("2e-324") << 0.0;
    QTest::newRow("long exponent") << QByteArray("1e0000000000000000000000001") << 10.0;
    QTest::newRow("exponent beyond int64") << QByteArray("1e99999999999999999999999999") << inf;
    QTest::newRow("negative exponent beyond int64")
        << QByteArray("1e-99999999999999999999999999") << 0.0;
    QTest::newRow("zero with huge exponent") << QByteArray("0e99999") << 0.0;
    QTest::newRow("exact halfway rounds to even") << QByteArray("9007199254740993")
                                                  << 9007199254740992.0;

    const std::string zeros399(399, '0');
    QTest::newRow("400 digit integer overflows")
        << QByteArray::fromStdString("1" + zeros399) << inf;
    QTest::newRow("400 digit integer scaled back")
        << QByteArray::fromStdString("1" + zeros399 + "e-399") << 1.0;
    QTest::newRow("400 digit fraction underflows")
        << QByteArray::fromStdString("0." + zeros399 + "1") << 0.0;
    QTest::newRow("400 digit fraction scaled back")
        << QByteArray::fromStdString("0." + zeros399 + "1e400") << 1.0;
    QTest::newRow("300 digit fraction")
        << QByteArray::fromStdString("0." + std::string(299, '0') + "1") << 1e-300;
    QTest::newRow("400 nines")
        << QByteArray::fromStdString(std::string(400, '9') + "e-400") << 1.0;
    // Beyond the digits kept for rounding, a far non-zero digit still tips a
    // halfway value up.
    QTest::newRow("distant digit breaks halfway tie")
        << QByteArray::fromStdString("9007199254740993" + std::string(2000, '0') + "1e-2001")
        << 9007199254740994.0;
    QTest::newRow("distant zeros keep halfway tie")
        << QByteArray::fromStdString("9007199254740993" + std::string(2000, '0') + "e-2000")
        << 9007199254740992.0;
    QTest::newRow("blanks between many digits")
        << QByteArray::fromStdString(std::string(1000, ' ') + "1" + std::string(1000, ' ') + "5")
        << 15.0;
}

void tst_NumberParsing::readsLeadingNumber()
{
    QFETCH(QByteArray, text);
    QFETCH(double, expected);
    const double actual = parseNumber(std::string_view(text.constData(), size_t(text.size())));
    QVERIFY2(actual == expected, describe(actual) + " != " + describe(expected));
}

void tst_NumberParsing::zeroIsNeverNegative()
{
    // A negative zero would print as "-0" wherever the value is echoed back.
    for (const char *text : {"-0", "-0.000", "- 0e5", "-1e-999"}) {
        const double v = parseNumber(text);
        QCOMPARE(v, 0.0);
        QVERIFY2(!std::signbit(v), text);
    }
}

void tst_NumberParsing::staysInsideView()
{
    // The view ends before the "3"; reading it would be out of bounds.
    const char text[] = "123";
    QCOMPARE(parseNumber(std::string_view(text, 2)), 12.0);
    QCOMPARE(parseNumber(std::string_view(text, 0)), 0.0);
    const char exponent[] = "1e5";
    QCOMPARE(parseNumber(std::string_view(exponent, 2)), 1.0);
}

// What the fields flag to the user: text the parser reads only in part.
void tst_NumberParsing::wholeOrPartlyRead_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("whole");

    QTest::newRow("integer") << QByteArray("42") << true;
    QTest::newRow("blanks around and inside") << QByteArray(" - 1 . 5 e - 3 ") << true;
    QTest::newRow("no integer part") << QByteArray(".5") << true;
    QTest::newRow("no fraction part") << QByteArray("5.") << true;
    QTest::newRow("comma decimal") << QByteArray("1,5") << false;
    QTest::newRow("unicode minus") << QByteArray("\xe2\x88\x92" "5") << false;
    QTest::newRow("second point") << QByteArray("1.2.3") << false;
    QTest::newRow("exponent without digits") << QByteArray("1e") << false;
    QTest::newRow("exponent with sign only") << QByteArray("1E-") << false;
    QTest::newRow("unit after the number") << QByteArray("10 kPa") << false;
    QTest::newRow("empty") << QByteArray("") << false;
    QTest::newRow("sign alone") << QByteArray("-") << false;
    QTest::newRow("point alone") << QByteArray(".") << false;
}

void tst_NumberParsing::wholeOrPartlyRead()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, whole);
    QCOMPARE(pontiva::readsWhole(std::string_view(text.constData(), size_t(text.size()))), whole);
}

QTEST_APPLESS_MAIN(tst_NumberParsing)
#include "tst_numberparsing.moc"

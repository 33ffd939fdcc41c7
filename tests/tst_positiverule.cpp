// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A ticked log axis refuses reference values of zero or less.
#include "calibration/positiverule.h"

#include <QTest>

using namespace pontiva;

class tst_PositiveRule : public QObject {
    Q_OBJECT
private slots:
    void rule_data();
    void rule();
};

void tst_PositiveRule::rule_data()
{
    QTest::addColumn<int>("box");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<bool>("breaks");

    QTest::newRow("ticked, both positive") << 1 << QByteArray("1") << QByteArray("1000") << false;
    QTest::newRow("ticked, first zero") << 1 << QByteArray("0") << QByteArray("10") << true;
    QTest::newRow("ticked, second negative") << 1 << QByteArray("1") << QByteArray("-3") << true;
    QTest::newRow("ticked, empty reads as zero") << 1 << QByteArray("") << QByteArray("10") << true;
    QTest::newRow("ticked, text reads as zero") << 1 << QByteArray("abc") << QByteArray("10") << true;
    QTest::newRow("ticked, underflow reads as zero") << 1 << QByteArray("1e-999") << QByteArray("10")
                                                     << true;
    QTest::newRow("ticked, blanks ignored") << 1 << QByteArray(" 0 . 5") << QByteArray("1 0") << false;
    QTest::newRow("ticked, sign after blank") << 1 << QByteArray(" - 5") << QByteArray("10") << true;
    QTest::newRow("ticked, tiny positive") << 1 << QByteArray("1e-300") << QByteArray("10") << false;
    QTest::newRow("unticked, negative") << 0 << QByteArray("-1") << QByteArray("-2") << false;
    QTest::newRow("other box value, zero") << 2 << QByteArray("0") << QByteArray("0") << false;
    QTest::newRow("negative box value, zero") << -1 << QByteArray("0") << QByteArray("0") << false;
}

void tst_PositiveRule::rule()
{
    QFETCH(int, box);
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(bool, breaks);
    QCOMPARE(breaksPositiveRule(box, first.toStdString(), second.toStdString()), breaks);
}

QTEST_APPLESS_MAIN(tst_PositiveRule)
#include "tst_positiverule.moc"

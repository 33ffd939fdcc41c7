// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Finding many points at once through the window: what is shown, what
// Return records, what Esc and undo take away.
#include "formfixture.h"

#include <QAction>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

class tst_FindPoints : public QObject
{
    Q_OBJECT
private slots:
    void marksFoundDroppedAndRecordedInXOrder();
    void escapeRecordsNothing();
    void tracedCurveRecordsTheShownPoints();

private:
    // Five 10 px dots and a blue line on a picture read one to one: pixel
    // (100, 900) is (0, 0), (900, 100) is (800, 800).
    static void open(FormFixture &f)
    {
        QImage chart(1000, 1000, QImage::Format_RGB32);
        chart.fill(Qt::white);
        {
            QPainter p(&chart);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(QColor(30, 60, 200), 2));
            p.drawLine(QPointF(150.5, 150.5), QPointF(850.5, 250.5));
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::black);
            for (const QPointF c : Dots)
                p.drawEllipse(c, 5, 5);
        }
        const QString path = f.home.filePath(QStringLiteral("dots.png"));
        QVERIFY(chart.save(path));
        f.load(path);
        f.send(QEvent::MouseButtonPress, {100, 900}, Qt::LeftButton, Qt::LeftButton);
        f.get<QRadioButton>("Option_Canto1")->click();
        f.get<QLineEdit>("Text_X1")->setText(QStringLiteral("800"));
        f.send(QEvent::MouseButtonPress, {900, 900}, Qt::LeftButton, Qt::LeftButton);
        f.get<QRadioButton>("Option_Canto2")->click();
        f.get<QLineEdit>("Text_Y2")->setText(QStringLiteral("800"));
        f.send(QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton, Qt::LeftButton);
        f.get<QRadioButton>("Option_LeituraDados")->click();
        f.dialogs.dataFileAnswers.push_back(f.home.filePath(QStringLiteral("data.txt")));
        f.get<QPushButton>("Command3")->click();
    }
    static void press(FormFixture &f, QPoint at, Qt::KeyboardModifiers modifiers)
    {
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, QPointF(at), f.picture()->mapToGlobal(QPointF(at)), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, modifiers);
            QApplication::sendEvent(f.picture(), &event);
        }
    }
    static int rings(const FormFixture &f) { return f.picture()->drawingCount(DrawingLayer::Candidates); }
    static constexpr QPointF Dots[] = {{700.3, 400.2}, {300.6, 600.4}, {500.2, 500.7}, {200.4, 300.3}, {800.5, 700.6}};
};

void tst_FindPoints::marksFoundDroppedAndRecordedInXOrder()
{
    FormFixture f;
    open(f);
    press(f, {702, 402}, Qt::ShiftModifier);
    QTRY_COMPARE(rings(f), 5);
    QVERIFY(f.get<QLabel>("Label_Mensagem")->text().startsWith(QStringLiteral("5 marks found.")));
    QCOMPARE(f.dataFile(), QByteArray()); // nothing written before Return
    press(f, {301, 601}, Qt::NoModifier); // dropped
    QTest::keyClick(f.form.get(), Qt::Key_Return);
    QCOMPARE(rings(f), 0);
    QCOMPARE(f.form->engine().count(), 4);
    // The hint to press Return gives way to what was done.
    QVERIFY(f.get<QLabel>("Label_Mensagem")->text().startsWith(QStringLiteral("4 found points recorded")));
    const QList<QByteArray> lines = f.dataFile().trimmed().split('\n');
    QCOMPARE(lines.size(), 4);
    const double wanted[] = {100.4, 400.2, 600.3, 700.5}; // X = x - 100, in increasing order
    for (int i = 0; i < 4; ++i)
        QVERIFY2(std::abs(lines[i].split('\t')[0].toDouble() - wanted[i]) <= 0.15, lines[i]);
    // One undo takes the whole group back.
    f.get<QAction>("DesfazerPonto")->trigger();
    QCOMPARE(f.dataFile(), QByteArray());
    QCOMPARE(f.form->engine().count(), 0);
    QVERIFY(f.get<QLabel>("Label_Mensagem")->text().startsWith(QStringLiteral("4 points taken back out")));
}

void tst_FindPoints::escapeRecordsNothing()
{
    FormFixture f;
    open(f);
    f.get<QAction>("ProcurarMarcas")->trigger(); // the menu's way: the next click is the example
    press(f, {500, 501}, Qt::NoModifier);
    QTRY_COMPARE(rings(f), 5);
    QTest::keyClick(f.form.get(), Qt::Key_Escape);
    QCOMPARE(rings(f), 0);
    QTest::keyClick(f.form.get(), Qt::Key_Return); // nothing left to record
    QCOMPARE(f.dataFile(), QByteArray());
    QCOMPARE(f.form->engine().count(), 0);
}

void tst_FindPoints::tracedCurveRecordsTheShownPoints()
{
    FormFixture f;
    open(f);
    press(f, {500, 202}, Qt::ControlModifier);
    QTRY_VERIFY(rings(f) > 60); // 700 px at one every 10
    const int shown = rings(f);
    QTest::keyClick(f.form.get(), Qt::Key_Return);
    const QList<QByteArray> lines = f.dataFile().trimmed().split('\n');
    QCOMPARE(lines.size(), shown);
    // From the end with the smaller X, each point on the line's centre.
    double last = -1;
    for (const QByteArray &line : lines) {
        const double x = line.split('\t')[0].toDouble() + 100, y = 900 - line.split('\t')[1].toDouble();
        QVERIFY2(x > last, line);
        last = x;
        QVERIFY2(std::abs(y - (150.5 + (x - 150.5) / 7)) <= 0.3, line);
    }

    // A step in data X instead: the line's X runs from 50.5 to 750.5.
    f.get<QAction>("DesfazerPonto")->trigger();
    f.dialogs.traceStepAnswers.push_back(TraceStep{true, 10, 100, 10});
    f.get<QAction>("PassoCurva")->trigger();
    press(f, {500, 202}, Qt::ControlModifier);
    QTRY_COMPARE(rings(f), 7);
    QTest::keyClick(f.form.get(), Qt::Key_Return);
    const QList<QByteArray> stepped = f.dataFile().trimmed().split('\n');
    QCOMPARE(stepped.size(), 7);
    for (int i = 0; i < 7; ++i)
        QVERIFY2(std::abs(stepped[i].split('\t')[0].toDouble() - 100 * (i + 1)) < 1e-6, stepped[i]);
}

QTEST_MAIN(tst_FindPoints)
#include "tst_findpoints.moc"

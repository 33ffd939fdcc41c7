// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Checking a calibration in the window: the grid, undo of reference points,
// fields that replace on typing, the worth of half a pixel.
#include "formfixture.h"
#include "view/magnifier.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>

class tst_CalibrationChecks : public QObject
{
    Q_OBJECT
private slots:
    void gridFollowsTheCalibration();
    void undoMovesAReferencePointBack();
    void clickIntoAFieldReplacesItsValue();
    void halfAPixelIsShownWhileReading();
    void aCalibrationComesBackWithItsPicture();
};

void tst_CalibrationChecks::gridFollowsTheCalibration()
{
    FormFixture f;
    auto *grid = f.get<QAction>("GrelhaCalibracao");
    auto gridDrawings = [&f] { return f.picture()->drawingCount(DrawingLayer::Grid); };
    f.calibrate();
    QCOMPARE(gridDrawings(), 0); // off at start
    grid->trigger();
    QVERIFY(gridDrawings() > 10);
    // Two points only: no calibration, no grid; and back.
    f.get<QRadioButton>("Option_Calibracao")->click();
    f.get<QAction>("DesfazerPonto")->trigger();
    QCOMPARE(gridDrawings(), 0);
    f.get<QAction>("RefazerPonto")->trigger();
    const int lines = gridDrawings();
    QVERIFY(lines > 10);
    // A log axis on a span of ten decades: lines at every decade, and 2 to 9 between them.
    f.get<QLineEdit>("Text_X0")->setText(QStringLiteral("1"));
    f.get<QLineEdit>("Text_X1")->setText(QStringLiteral("100"));
    f.get<QCheckBox>("Check_XLog")->click();
    QVERIFY(gridDrawings() != lines);
    grid->trigger();
    QCOMPARE(gridDrawings(), 0);
    QCOMPARE(f.picture()->drawingCount(), 3); // the markers stayed
}

void tst_CalibrationChecks::undoMovesAReferencePointBack()
{
    FormFixture f;
    f.calibrate();
    f.get<QRadioButton>("Option_Calibracao")->click();
    f.get<QRadioButton>("Option_Canto2")->click();
    f.click(50, 50); // a stray click moves point 2 onto the chart
    const pontiva::CalibrationState &points = f.form->engine().calibration();
    QCOMPARE(points.XCanto2, 50.f);
    auto *undo = f.get<QAction>("DesfazerPonto");
    auto *label = f.get<QLabel>("Label2");
    undo->trigger();
    QCOMPARE(points.XCanto2, 10.f);
    QCOMPARE(points.YCanto2, 90.f);
    QCOMPARE(label->text(), QStringLiteral("Calibrated"));
    undo->trigger(); // before its first placement: not placed
    QVERIFY(!points.CantoDefinido2);
    QCOMPARE(label->text(), QStringLiteral("Not calibrated"));
    QVERIFY(!f.get<QRadioButton>("Option_LeituraDados")->isEnabled());
    f.get<QAction>("RefazerPonto")->trigger();
    QVERIFY(points.CantoDefinido2);
    QCOMPARE(label->text(), QStringLiteral("Calibrated"));
    QVERIFY(f.get<QRadioButton>("Option_LeituraDados")->isEnabled());
    // A load forgets the history.
    f.load(f.makePicture(QStringLiteral("other.bmp"), 200, 200));
    QVERIFY(!undo->isEnabled());
}

void tst_CalibrationChecks::clickIntoAFieldReplacesItsValue()
{
    FormFixture f;
    f.load(f.makePicture(QStringLiteral("chart.bmp"), 200, 200));
    f.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
    auto *x0 = f.get<QLineEdit>("Text_X0");
    x0->setText(QStringLiteral("1"));
    f.get<QRadioButton>("Option_Canto0")->setFocus();
    QTest::mouseClick(x0, Qt::LeftButton, {}, QPoint(x0->width() - 4, x0->height() / 2));
    QTest::qWait(0);
    QTest::keyClicks(x0, QStringLiteral("10"));
    QCOMPARE(x0->text(), QStringLiteral("10"));
    // With the keyboard already there, a click places the cursor.
    QTest::mouseClick(x0, Qt::LeftButton, {}, QPoint(x0->width() - 4, x0->height() / 2));
    QTest::qWait(0);
    QTest::keyClicks(x0, QStringLiteral("5"));
    QCOMPARE(x0->text(), QStringLiteral("105"));
}

// X: 8 over 800 pixels, Y: 4 over 800 pixels (logical 80 of 100 on 1000 px).
void tst_CalibrationChecks::halfAPixelIsShownWhileReading()
{
    FormFixture f;
    f.calibrate();
    f.moveTo(50, 50);
    const QString note = f.get<Magnifier>("Lupa")->note();
    QVERIFY2(note.contains(QStringLiteral("X ±0.005")) && note.contains(QStringLiteral("Y ±0.0025")), qPrintable(note));
    f.get<QRadioButton>("Option_Calibracao")->click();
    QVERIFY(f.get<Magnifier>("Lupa")->note().isEmpty());
}

void tst_CalibrationChecks::aCalibrationComesBackWithItsPicture()
{
    FormFixture f;
    auto *restore = f.get<QAction>("RestaurarCalibracao");
    f.calibrate(QStringLiteral("8.5"), QStringLiteral("0.25"));
    f.get<QCheckBox>("Check_YLog")->click();
    f.moveTo(37.3f, 61.9f);
    auto readout = [&f] {
        return f.get<QLabel>("Label_Leitura_X")->text() + QLatin1Char(' ') + f.get<QLabel>("Label_Leitura_Y")->text();
    };
    const QString before = readout();
    QTRY_VERIFY(!QDir(f.home.filePath(QStringLiteral(".local/share/pontiva/calibrations"))).isEmpty());

    f.load(f.makePicture(QStringLiteral("other.bmp"), 1000, 1000, "BMP", Qt::gray));
    QTest::qWait(50);
    QVERIFY(!restore->isEnabled()); // never calibrated
    f.load(f.home.filePath(QStringLiteral("chart.bmp")));
    QTRY_VERIFY(restore->isEnabled());
    QVERIFY(!f.form->engine().calibration().CantoDefinido0); // offered, not applied
    restore->trigger();
    f.get<QRadioButton>("Option_LeituraDados")->click();
    f.moveTo(37.3f, 61.9f);
    QCOMPARE(readout(), before);

    // A damaged record is not offered.
    for (const QFileInfo &file : QDir(f.home.filePath(QStringLiteral(".local/share/pontiva/calibrations"))).entryInfoList(QDir::Files)) {
        QFile damaged(file.filePath());
        QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate) && damaged.write("pontiva-calibration 1\n") > 0);
    }
    f.load(f.home.filePath(QStringLiteral("chart.bmp")));
    QTest::qWait(100);
    QVERIFY(!restore->isEnabled());
}

QTEST_MAIN(tst_CalibrationChecks)
#include "tst_calibrationchecks.moc"

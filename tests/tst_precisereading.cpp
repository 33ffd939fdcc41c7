// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Reading to a fraction of a pixel through the window: the fine position on
// the arrow keys, Space as a click, snapping, and the magnifier.
#include "formfixture.h"
#include "view/magnifier.h"

#include <QEnterEvent>
#include <QFile>
#include <QLabel>
#include <QPainter>

class tst_PreciseReading : public QObject
{
    Q_OBJECT
private slots:
    void arrowsMoveTheReadingByEighths();
    void spaceRecordsExactlyTheReadout();
    void spaceWhileCalibratingPlacesThePoint();
    void fineMovesStopAtTheEdge();
    void snappingRecordsTheMarkCentre();
    void snappingIsOffAtStartAndF3TogglesIt();
    void textFieldsKeepTheirKeys();
    void tabVisitsEveryControlInReadingOrder();
    void keyboardAloneCalibratesAndRecords();
    void magnifierShowsPixelsAsSquares();
    void magnifierCoversNoControl();

private:
    // One data unit per picture pixel: pixel column 100 reads 0, column 900 reads 800;
    // pixel row 900 reads 0, row 100 reads 800.
    static void calibrateOneToOne(FormFixture &f, const QString &picture = QString())
    {
        f.load(picture.isEmpty() ? f.makePicture(QStringLiteral("chart.bmp"), 1000, 1000) : picture);
        f.send(QEvent::MouseButtonPress, {100, 900}, Qt::LeftButton, Qt::LeftButton);
        f.get<QRadioButton>("Option_Canto1")->click();
        f.get<QLineEdit>("Text_X1")->setText(QStringLiteral("800"));
        f.send(QEvent::MouseButtonPress, {900, 900}, Qt::LeftButton, Qt::LeftButton);
        f.get<QRadioButton>("Option_Canto2")->click();
        f.get<QLineEdit>("Text_Y2")->setText(QStringLiteral("800"));
        f.send(QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton, Qt::LeftButton);
        f.get<QRadioButton>("Option_LeituraDados")->click();
    }
    static QString readout(const FormFixture &f)
    {
        return f.get<QLabel>("Label_Leitura_X")->text() + QLatin1Char(' ') + f.get<QLabel>("Label_Leitura_Y")->text();
    }
    static void focusPicture(FormFixture &f)
    {
        f.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        f.picture()->setFocus();
        QTRY_VERIFY(f.picture()->hasFocus());
    }
};

void tst_PreciseReading::arrowsMoveTheReadingByEighths()
{
    FormFixture f;
    calibrateOneToOne(f);
    f.send(QEvent::MouseMove, {101, 500}, Qt::NoButton, Qt::NoButton);
    QCOMPARE(readout(f), QStringLiteral("1.0000E+00 4.0000E+02"));
    focusPicture(f);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(f.picture(), Qt::Key_Right);
    QCOMPARE(readout(f), QStringLiteral("1.3750E+00 4.0000E+02"));
    QTest::keyClick(f.picture(), Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(readout(f), QStringLiteral("2.3750E+00 4.0000E+02"));
    QTest::keyClick(f.picture(), Qt::Key_Up); // up on the screen: data Y grows
    QCOMPARE(readout(f), QStringLiteral("2.3750E+00 4.0012E+02"));
    QTest::keyClick(f.picture(), Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(readout(f), QStringLiteral("2.3750E+00 3.9912E+02"));
    // A pointer move starts the fine position afresh.
    f.send(QEvent::MouseMove, {300, 500}, Qt::NoButton, Qt::NoButton);
    QTest::keyClick(f.picture(), Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(f.picture(), Qt::Key_Left);
    QTest::keyClick(f.picture(), Qt::Key_Left);
    QCOMPARE(readout(f), QStringLiteral("1.9875E+02 4.0000E+02"));
}

void tst_PreciseReading::spaceRecordsExactlyTheReadout()
{
    FormFixture f;
    calibrateOneToOne(f);
    f.send(QEvent::MouseMove, {250, 700}, Qt::NoButton, Qt::NoButton);
    focusPicture(f);
    for (const Qt::Key key : {Qt::Key_Left, Qt::Key_Left, Qt::Key_Down, Qt::Key_Down})
        QTest::keyClick(f.picture(), key);
    const QString shown = readout(f);
    QCOMPARE(shown, QStringLiteral("1.4975E+02 1.9975E+02"));
    const int marks = f.picture()->drawingCount();
    QTest::keyClick(f.picture(), Qt::Key_Space);
    QCOMPARE(f.dataFile(), QString(shown).replace(QLatin1Char(' '), QLatin1Char('\t')).toLatin1() + "\r\n");
    QCOMPARE(f.picture()->drawingCount(), marks + 1);
    QTest::keyClick(f.picture(), Qt::Key_Return);
    QCOMPARE(f.form->engine().count(), 2);
    // A held key records once.
    QTest::keyPress(f.picture(), Qt::Key_Space, Qt::NoModifier);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
    QApplication::sendEvent(f.picture(), &repeat);
    QCOMPARE(f.form->engine().count(), 3);
}

void tst_PreciseReading::spaceWhileCalibratingPlacesThePoint()
{
    FormFixture f;
    f.load(f.makePicture(QStringLiteral("chart.bmp"), 1000, 1000));
    f.send(QEvent::MouseMove, {100, 900}, Qt::NoButton, Qt::NoButton);
    focusPicture(f);
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(f.picture(), Qt::Key_Right);
    QTest::keyClick(f.picture(), Qt::Key_Space);
    QVERIFY(f.form->engine().calibration().CantoDefinido0);
    QCOMPARE(f.form->engine().calibration().XCanto0, 10.05f); // pixel 100.5 of 1000
    QCOMPARE(f.form->engine().calibration().YCanto0, 10.0f);
    QCOMPARE(f.get<QLabel>("Label0")->text(), QStringLiteral("Calibrated"));
}

void tst_PreciseReading::fineMovesStopAtTheEdge()
{
    FormFixture f;
    calibrateOneToOne(f);
    f.send(QEvent::MouseMove, {998, 1}, Qt::NoButton, Qt::NoButton);
    focusPicture(f);
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(f.picture(), Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(f.picture(), Qt::Key_Up, Qt::ShiftModifier);
    }
    // Column 999 7/8 and row 0: the last positions inside the picture.
    const QString atEdge = readout(f);
    QVERIFY2(atEdge.startsWith(QStringLiteral("8.998")) && atEdge.endsWith(QStringLiteral(" 9.0000E+02")),
             qPrintable(atEdge));
    QTest::keyClick(f.picture(), Qt::Key_Right);
    QTest::keyClick(f.picture(), Qt::Key_Up);
    QCOMPARE(readout(f), atEdge);
    QTest::keyClick(f.picture(), Qt::Key_Left, Qt::ShiftModifier);
    QVERIFY(readout(f).startsWith(QStringLiteral("8.988")));
}

// A click two pixels off a mark records the mark's centre, and the red dot
// goes there too.
void tst_PreciseReading::snappingRecordsTheMarkCentre()
{
    FormFixture f;
    QImage chart(1000, 1000, QImage::Format_RGB32);
    chart.fill(Qt::white);
    {
        QPainter p(&chart);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawEllipse(QPointF(500.3, 499.6), 5, 5);
    }
    const QString path = f.home.filePath(QStringLiteral("mark.png"));
    QVERIFY(chart.save(path));
    calibrateOneToOne(f, path);
    f.get<QAction>("AjustarMarcas")->trigger();
    f.send(QEvent::MouseMove, {502, 501}, Qt::NoButton, Qt::NoButton);
    f.send(QEvent::MouseButtonPress, {502, 501}, Qt::LeftButton, Qt::LeftButton);
    const QList<QByteArray> fields = f.dataFile().trimmed().split('\t');
    QCOMPARE(fields.size(), 2);
    // The centre reads 400.3, 400.4; a tenth of a pixel either way is allowed.
    QVERIFY2(std::abs(fields[0].toDouble() - 400.3) <= 0.1, fields[0]);
    QVERIFY2(std::abs(fields[1].toDouble() - 400.4) <= 0.1, fields[1]);
    QCOMPARE(readout(f), QString::fromLatin1(fields[0] + ' ' + fields[1]));

    // The same mark from the other side: nothing stored twice, and it says so.
    const QByteArray once = f.dataFile();
    f.send(QEvent::MouseMove, {498, 498}, Qt::NoButton, Qt::NoButton);
    f.send(QEvent::MouseButtonPress, {498, 498}, Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(f.dataFile(), once);
    QCOMPARE(f.get<QLabel>("Label_Mensagem")->text(),
             QStringLiteral("This mark is already recorded. It was not stored again; to record here, turn snapping off (F3)."));

    // Off again: the raw position, as before, and recorded on purpose.
    f.get<QAction>("AjustarMarcas")->trigger();
    f.send(QEvent::MouseMove, {502, 501}, Qt::NoButton, Qt::NoButton);
    QCOMPARE(readout(f), QStringLiteral("4.0200E+02 3.9900E+02"));
    f.send(QEvent::MouseButtonPress, {502, 501}, Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(f.form->engine().count(), 2);
}

void tst_PreciseReading::snappingIsOffAtStartAndF3TogglesIt()
{
    FormFixture f;
    auto *snap = f.get<QAction>("AjustarMarcas");
    QVERIFY(snap->isCheckable() && !snap->isChecked());
    QCOMPARE(snap->text(), QStringLiteral("&Snap to marks"));
    f.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
    QTest::keyClick(f.form.get(), Qt::Key_F3);
    QVERIFY(snap->isChecked());
    QTest::keyClick(f.form.get(), Qt::Key_F3);
    QVERIFY(!snap->isChecked());
    FormFixture pt(QStringLiteral("Portugues"));
    QCOMPARE(pt.get<QAction>("AjustarMarcas")->text(), QStringLiteral("&Ajustar às marcas"));
}

// Arrows belong to the text field being typed in; the picture does not
// steal the keyboard from it, and never passes arrows on to option buttons.
void tst_PreciseReading::textFieldsKeepTheirKeys()
{
    FormFixture f;
    f.load(f.makePicture(QStringLiteral("chart.bmp"), 1000, 1000));
    f.send(QEvent::MouseMove, {100, 900}, Qt::NoButton, Qt::NoButton);
    f.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
    auto *field = f.get<QLineEdit>("Text_X0");
    field->setFocus();
    QTRY_VERIFY(field->hasFocus());
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), f.picture()->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(f.picture(), &enter);
    QVERIFY(field->hasFocus());
    field->setText(QStringLiteral("12"));
    field->setCursorPosition(2);
    QTest::keyClick(field, Qt::Key_Left);
    QCOMPARE(field->cursorPosition(), 1);
    QTest::keyClicks(field, QStringLiteral("5"));
    QCOMPARE(field->text(), QStringLiteral("152"));
    QTest::keyClick(field, Qt::Key_Space);
    QVERIFY(!f.form->engine().calibration().CantoDefinido0); // Space typed, not clicked

    // Without a text field in the way, entering the picture takes the keys,
    // and arrows there leave the option buttons alone.
    f.get<QWidget>("Form1Client")->setFocus();
    QApplication::sendEvent(f.picture(), &enter);
    QVERIFY(f.picture()->hasFocus());
    QTest::keyClick(f.picture(), Qt::Key_Right);
    QTest::keyClick(f.picture(), Qt::Key_Down);
    QVERIFY(f.get<QRadioButton>("Option_Canto0")->isChecked());
    QVERIFY(f.picture()->hasFocus());
}

void tst_PreciseReading::magnifierShowsPixelsAsSquares()
{
    FormFixture f;
    auto *lupa = f.get<Magnifier>("Lupa");
    QVERIFY(!lupa->isVisible()); // nothing before a picture
    QImage chart(1000, 1000, QImage::Format_RGB32);
    chart.fill(Qt::white);
    chart.setPixel(500, 500, qRgb(0, 0, 0));
    const QString path = f.home.filePath(QStringLiteral("dot.png"));
    QVERIFY(chart.save(path));
    f.load(path);
    QVERIFY(lupa->isVisible());
    f.send(QEvent::MouseMove, {500, 500}, Qt::NoButton, Qt::NoButton);
    for (const int zoom : {8, 4}) {
        f.get<QAction>(zoom == 8 ? "Lupa8" : "Lupa4")->trigger();
        QCOMPARE(lupa->zoom(), zoom);
        const QImage shot = lupa->grab().toImage();
        const QPoint centre = QRectF(lupa->contentsRect()).center().toPoint();
        // Pixel 500 fills the square right of and below the reading position.
        QCOMPARE(QColor(shot.pixel(centre + QPoint(zoom / 2, zoom / 2))), QColor(Qt::black));
        QCOMPARE(QColor(shot.pixel(centre + QPoint(zoom - 1, zoom - 1))), QColor(Qt::black));
        QCOMPARE(QColor(shot.pixel(centre + QPoint(zoom + 2, zoom + 2))), QColor(Qt::white));
        QCOMPARE(QColor(shot.pixel(centre + QPoint(-2, -2))), QColor(Qt::white));
    }
    // A click on it switches the enlargement, and the menu follows.
    QTest::mouseClick(lupa, Qt::LeftButton);
    QCOMPARE(lupa->zoom(), 8);
    QVERIFY(f.get<QAction>("Lupa8")->isChecked());
}

void tst_PreciseReading::magnifierCoversNoControl()
{
    FormFixture f;
    f.load(f.makePicture(QStringLiteral("chart.bmp"), 3000, 3000));
    auto *lupa = f.get<Magnifier>("Lupa");
    QCOMPARE(lupa->width(), lupa->height());
    QVERIFY(lupa->width() >= 100);
    QWidget *client = f.get<QWidget>("Form1Client");
    for (QWidget *control : client->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (control == lupa)
            continue;
        QVERIFY2(!control->geometry().intersects(lupa->geometry()), qPrintable(control->objectName()));
    }
    QVERIFY(client->rect().contains(lupa->geometry()));
}

void tst_PreciseReading::tabVisitsEveryControlInReadingOrder()
{
    FormFixture f;
    f.load(f.makePicture(QStringLiteral("chart.bmp"), 300, 200));
    f.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
    f.get<QWidget>("Option_Calibracao")->setFocus(Qt::TabFocusReason);
    QStringList visited;
    for (int i = 0; i < 8; ++i) {
        visited << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    // Disabled fields and the hidden reading groups are passed by.
    QCOMPARE(visited, (QStringList{"Option_Calibracao", "Option_Canto0", "Text_X0", "Text_Y0", "Option_Canto1",
                                   "Option_Canto2", "Picture2", "Option_Calibracao"}));
    // The picture shows it has the keyboard only while it has it.
    QWidget *frame = f.get<QWidget>("FocusFrame");
    QVERIFY(!frame->isVisible());
    f.get<QWidget>("Text_X0")->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 3; ++i) // back past the first control to the last
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), f.picture());
    QVERIFY(frame->isVisible());
}

// With the keyboard only: Tab and Space choose, the arrows aim, Space places
// and records, from the centre of what is in view.
void tst_PreciseReading::keyboardAloneCalibratesAndRecords()
{
    FormFixture f;
    f.load(f.makePicture(QStringLiteral("chart.bmp"), 300, 200));
    f.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
    auto key = [](Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(QApplication::focusWidget(), k, m); };
    auto focusOn = [&](const char *name) {
        for (int i = 0; i < 20 && QApplication::focusWidget()->objectName() != QLatin1String(name); ++i)
            key(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1String(name));
    };
    f.get<QWidget>("Option_Calibracao")->setFocus(Qt::TabFocusReason);
    focusOn("Picture2"); // the centre of the view: pixel (150, 100)
    key(Qt::Key_Left, Qt::ShiftModifier); // (149, 100)
    key(Qt::Key_Space);                   // point 0
    QCOMPARE(f.form->engine().calibration().XCanto0, float(149.5 / 300 * 100));
    focusOn("Option_Canto1");
    key(Qt::Key_Space);
    key(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Text_X1"));
    key(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("10"));
    focusOn("Picture2"); // where it last was
    for (int i = 0; i < 10; ++i)
        key(Qt::Key_Right, Qt::ShiftModifier);
    key(Qt::Key_Space); // point 1 at (159.5, 100.5)
    focusOn("Option_Canto2");
    key(Qt::Key_Space);
    key(Qt::Key_Tab);
    key(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("10"));
    focusOn("Picture2");
    for (int i = 0; i < 20; ++i)
        key(Qt::Key_Up, Qt::ShiftModifier);
    for (int i = 0; i < 10; ++i)
        key(Qt::Key_Left, Qt::ShiftModifier);
    key(Qt::Key_Space); // point 2 at (149.5, 80.5)
    focusOn("Option_LeituraDados");
    key(Qt::Key_Space);
    QVERIFY(f.get<QRadioButton>("Option_LeituraDados")->isChecked());
    focusOn("Picture2");
    for (int i = 0; i < 10; ++i)
        key(Qt::Key_Right, Qt::ShiftModifier);
    key(Qt::Key_Space);
    QCOMPARE(f.dataFile(), QByteArray("1.0000E+01\t1.0000E+01\r\n"));
}

QTEST_MAIN(tst_PreciseReading)
#include "tst_precisereading.moc"

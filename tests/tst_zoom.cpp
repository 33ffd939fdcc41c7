// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The zoomed view: clicks land on fractional picture positions, the point
// under the wheel stays, Fit and Actual size, marks on their positions.
#include "formfixture.h"
#include "picture/prescaledcopies.h"
#include "view/zoomsteps.h"

#include <QScrollBar>
#include <QAction>
#include <QWheelEvent>

class tst_Zoom : public QObject
{
    Q_OBJECT
private slots:
    void stepsHitEveryPowerOfTwo();
    void clickAtFourRecordsItsPosition();
    void wheelKeepsThePointUnderThePointer();
    void fitAndActualSize();
    void marksStayOnTheirPositions_data();
    void marksStayOnTheirPositions();
    void halvedCopiesAverage();
    void viewportFillsTheWindowWhenAsked();

private:
    static void zoomTo(FormFixture &f, double zoom)
    {
        f.get<QAction>("TamanhoReal")->trigger();
        const char *step = zoom > 1 ? "AmpliarVista" : "ReduzirVista";
        while (f.picture()->zoom() != zoom)
            f.get<QAction>(step)->trigger();
    }
};

void tst_Zoom::stepsHitEveryPowerOfTwo()
{
    double zoom = 1.0 / 32;
    int steps = 0;
    while (zoom < 32) {
        zoom = nextZoom(zoom, 1);
        ++steps;
        if (steps % 4 == 0)
            QCOMPARE(zoom, std::ldexp(1.0, steps / 4 - 5)); // exactly
    }
    QCOMPARE(steps, 40);
    QCOMPARE(nextZoom(32, 1), 32.0);
    QCOMPARE(nextZoom(0.3, 1), zoomAtStep(-6)); // from Fit's in-between zoom, the next step up
}

// Screen pixel i at x4 shows the position (i + 0.5) / 4 - 0.5: pixel 402 is
// position 100.125, pixel 205 is 50.875.
void tst_Zoom::clickAtFourRecordsItsPosition()
{
    FormFixture f;
    f.calibrate();
    zoomTo(f, 4);
    const QPointF position(100.125, 50.875);
    const QPointF logical = f.picture()->logicalFromPicture(position);
    const auto expected = f.form->engine().textsAt({"0", "8", "0", "4", false, false}, float(logical.x()),
                                                  float(logical.y()), '.');
    QVERIFY(expected);
    const QPoint pixel = QPoint(402, 205) + f.picture()->contentsRect().topLeft();
    f.send(QEvent::MouseMove, pixel, Qt::NoButton, Qt::NoButton);
    f.send(QEvent::MouseButtonPress, pixel, Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(f.dataFile(), QByteArray::fromStdString(expected->first + "\t" + expected->second + "\r\n"));
}

void tst_Zoom::wheelKeepsThePointUnderThePointer()
{
    FormFixture f;
    f.load(f.makePicture(QStringLiteral("chart.bmp"), 3000, 2000));
    QWidget *view = f.viewport();
    // Far enough from the edges that the bars never have to stop short.
    f.get<QScrollBar>("HScroll1")->setValue(1000);
    f.get<QScrollBar>("VScroll1")->setValue(700);
    const QPoint at(300, 200);
    auto under = [&] { return f.picture()->pictureFromWidget(QPointF(f.picture()->mapFrom(view, at))); };
    for (const int notches : {3, 2, -4, -6}) {
        const QPointF before = under();
        QWheelEvent wheel(QPointF(at), view->mapToGlobal(QPointF(at)), {}, QPoint(0, 120 * notches), Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view, &wheel);
        const QPointF after = under();
        QVERIFY2(std::abs(after.x() - before.x()) * f.picture()->zoom() <= 0.5
                     && std::abs(after.y() - before.y()) * f.picture()->zoom() <= 0.5,
                 qPrintable(QStringLiteral("zoom %1").arg(f.picture()->zoom())));
    }
    QCOMPARE(f.picture()->zoom(), zoomAtStep(-5));
}

void tst_Zoom::fitAndActualSize()
{
    FormFixture f;
    f.load(f.makePicture(QStringLiteral("chart.bmp"), 3000, 2000));
    auto *h = f.get<QScrollBar>("HScroll1");
    auto *v = f.get<QScrollBar>("VScroll1");
    const auto state = [&] {
        return QList<int>{h->minimum(), h->maximum(), h->value(), v->minimum(), v->maximum(), v->value(),
                          f.picture()->x(), f.picture()->y(), f.picture()->width(), f.picture()->height()};
    };
    const QList<int> atLoad = state();
    f.get<QAction>("AjustarVista")->trigger();
    const QRect shown(f.picture()->mapTo(f.viewport(), f.picture()->contentsRect().topLeft()),
                      f.picture()->contentsRect().size());
    QVERIFY2(f.viewport()->rect().contains(shown), qPrintable(QStringLiteral("%1 x %2").arg(shown.width()).arg(shown.height())));
    f.get<QAction>("TamanhoReal")->trigger();
    h->setValue(0);
    v->setValue(0);
    QCOMPARE(state(), atLoad);
}

void tst_Zoom::marksStayOnTheirPositions_data()
{
    QTest::addColumn<double>("zoom");
    QTest::newRow("1/4") << 0.25;
    QTest::newRow("1") << 1.0;
    QTest::newRow("8") << 8.0;
}

// The red dot of a recorded point is painted where the panel says its position is.
void tst_Zoom::marksStayOnTheirPositions()
{
    QFETCH(double, zoom);
    FormFixture f;
    f.calibrate();
    f.moveTo(20, 80);
    f.click(20, 80);
    zoomTo(f, zoom);
    const QPointF dot = f.picture()->pictureFromLogical({20, 80});
    const QPointF onPanel = f.picture()->widgetFromPicture(dot);
    // Bring it into view, then look at the screen.
    f.get<QScrollBar>("HScroll1")->setValue(int(onPanel.x()) - 100);
    f.get<QScrollBar>("VScroll1")->setValue(int(onPanel.y()) - 100);
    const QImage shot = f.picture()->grab(QRect(onPanel.toPoint() - QPoint(1, 1), QSize(3, 3))).toImage();
    QCOMPARE(shot.pixelColor(1, 1), QColor(Qt::red));
}

void tst_Zoom::halvedCopiesAverage()
{
    QImage picture(1000, 600, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int y = 0; y < picture.height(); ++y)
        picture.setPixel(501, y, qRgb(0, 0, 0)); // a 1-pixel line
    const auto copies = prescaledCopiesOf(picture);
    QCOMPARE(copies->halves.size(), std::size_t(2)); // 500 x 300, 250 x 150
    // Half the line's ink in the pixel it falls in: it neither vanishes nor doubles.
    QCOMPARE(copies->halves[0].pixel(250, 100), qRgb(128, 128, 128));
    QCOMPARE(copies->halves[0].pixel(249, 100), qRgb(255, 255, 255));
    QCOMPARE(copies->forZoom(picture, 0.3).second, 0.5);
    QCOMPARE(copies->forZoom(picture, 0.1).second, 0.25);
    QCOMPARE(copies->forZoom(picture, 0.8).second, 1.0);
}

void tst_Zoom::viewportFillsTheWindowWhenAsked()
{
    FormFixture f;
    f.load(f.makePicture(QStringLiteral("chart.bmp"), 3000, 2000));
    QWidget *client = f.get<QWidget>("Form1Client");
    auto geometries = [client] {
        QList<QRect> all;
        for (QWidget *control : client->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            all << control->geometry();
        return all << client->geometry();
    };
    const QList<QRect> parts = geometries();
    const QSize view = f.viewport()->size();
    f.form->resize(f.form->width() + 400, f.form->height() + 300);
    QCOMPARE(geometries(), parts); // off: the window never lays itself out again
    auto *fill = f.get<QAction>("EncherJanela");
    fill->trigger();
    QTRY_COMPARE(f.viewport()->size(), view + QSize(400, 300));
    f.form->resize(f.form->width() + 100, f.form->height());
    QTRY_COMPARE(f.viewport()->width(), view.width() + 500);
    fill->trigger();
    QCOMPARE(geometries(), parts);
}

QTEST_MAIN(tst_Zoom)
#include "tst_zoom.moc"

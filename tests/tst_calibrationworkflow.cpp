// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Placing the reference points, the two modes, the log-axis rule and the markers.
#include "formfixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>

class tst_CalibrationWorkflow : public QObject
{
    Q_OBJECT
private slots:
    void threePointsInAnyOrderWithAnyButton_data();
    void threePointsInAnyOrderWithAnyButton();
    void clickingAgainMovesThePoint();
    void editableFieldsFollowTheSelectedPoint();
    void modesShowTheirGroups();
    void reloadWhileReadingStartsAgain();
    void mirroringFollowsEveryKeystroke();
    void positiveRuleOnTicking_data();
    void positiveRuleOnTicking();
    void bothAxesRefusedOnEnteringReading_data();
    void bothAxesRefusedOnEnteringReading();
    void unknownLanguageStillUnticks();
    void markersSitOnTheirPoints();
    void higherPointIsOnTop();
    void recordedDotsGoAtTheNextCalibrationClick();
    void helpSketch();

private:
    static void loadAndCalibrate(FormFixture &f);
    static QColor colourAt(QWidget *w, QPoint p)
    {
        return w->grab(QRect(p, QSize(1, 1))).toImage().pixelColor(0, 0);
    }
};

void tst_CalibrationWorkflow::loadAndCalibrate(FormFixture &f)
{
    f.load(f.makePicture(QStringLiteral("chart.bmp"), 400, 300));
    f.click(10, 10);
    f.get<QRadioButton>("Option_Canto1")->click();
    f.click(90, 10);
    f.get<QRadioButton>("Option_Canto2")->click();
    f.click(10, 90);
}

void tst_CalibrationWorkflow::threePointsInAnyOrderWithAnyButton_data()
{
    QTest::addColumn<QList<int>>("order");
    QTest::addColumn<int>("button");
    QTest::newRow("0 1 2, left") << QList<int>{0, 1, 2} << int(Qt::LeftButton);
    QTest::newRow("2 0 1, right") << QList<int>{2, 0, 1} << int(Qt::RightButton);
    QTest::newRow("1 2 0, middle") << QList<int>{1, 2, 0} << int(Qt::MiddleButton);
}

void tst_CalibrationWorkflow::threePointsInAnyOrderWithAnyButton()
{
    QFETCH(QList<int>, order);
    QFETCH(int, button);
    FormFixture f;
    f.load(f.makePicture(QStringLiteral("chart.bmp"), 400, 300));
    auto *reading = f.get<QRadioButton>("Option_LeituraDados");
    const char *options[] = {"Option_Canto0", "Option_Canto1", "Option_Canto2"};
    const char *labels[] = {"Label0", "Label1", "Label2"};
    for (int i = 0; i < 3; ++i) {
        const int point = order[i];
        QVERIFY(!reading->isEnabled());
        auto *option = f.get<QRadioButton>(options[point]);
        option->click();
        // Selecting a point changes no status label.
        QCOMPARE(f.get<QLabel>(labels[point])->text(), QStringLiteral("Not calibrated"));
        f.click(20.f + 30 * point, 25.f + 20 * point, Qt::MouseButton(button));
        QCOMPARE(f.get<QLabel>(labels[point])->text(), QStringLiteral("Calibrated"));
        QVERIFY(f.form->engine().calibration().isDefined(point));
        QVERIFY(option->isChecked()); // the selection does not move on
    }
    QVERIFY(reading->isEnabled());
    QVERIFY(f.get<QRadioButton>("Option_Calibracao")->isChecked());
    QVERIFY(qAbs(f.form->engine().calibration().XCanto1 - 50) < 0.3f);
    QVERIFY(qAbs(f.form->engine().calibration().YCanto1 - 45) < 0.4f);
}

void tst_CalibrationWorkflow::clickingAgainMovesThePoint()
{
    FormFixture f;
    f.load(f.makePicture(QStringLiteral("chart.bmp"), 400, 300));
    f.get<QRadioButton>("Option_Canto1")->click();
    f.click(30, 30);
    f.click(70, 60);
    QCOMPARE(f.get<QLabel>("Label1")->text(), QStringLiteral("Calibrated"));
    QVERIFY(qAbs(f.form->engine().calibration().XCanto1 - 70) < 0.3f);
    QVERIFY(!f.form->engine().calibration().CantoDefinido0);
    QCOMPARE(f.picture()->drawingCount(), 1); // only the green dot, moved
}

void tst_CalibrationWorkflow::editableFieldsFollowTheSelectedPoint()
{
    FormFixture f;
    f.load(f.makePicture(QStringLiteral("chart.bmp"), 100, 100));
    auto enabled = [&] {
        QString s;
        for (const char *name : {"Text_X0", "Text_Y0", "Text_X1", "Text_Y2", "Text_X2", "Text_Y1"})
            s += f.get<QLineEdit>(name)->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
        return s;
    };
    QCOMPARE(enabled(), QStringLiteral("110000"));
    f.get<QRadioButton>("Option_Canto1")->click();
    QCOMPARE(enabled(), QStringLiteral("001000"));
    f.get<QRadioButton>("Option_Canto2")->click();
    QCOMPARE(enabled(), QStringLiteral("000100"));
    f.get<QRadioButton>("Option_Canto0")->click();
    QCOMPARE(enabled(), QStringLiteral("110000"));
}

void tst_CalibrationWorkflow::modesShowTheirGroups()
{
    FormFixture f;
    auto shown = [&] {
        QString s;
        for (const char *name : {"Frame_Calibracao", "Picture_Desenho", "Frame_Leitura", "Frame_Gravacao"})
            s += f.get<QWidget>(name)->isVisible() ? QLatin1Char('1') : QLatin1Char('0');
        s += f.get<QLabel>("Label_Leitura_X")->isEnabled() ? QLatin1Char('r') : QLatin1Char('-');
        return s;
    };
    QCOMPARE(shown().left(4), QStringLiteral("0000")); // no picture yet
    loadAndCalibrate(f);
    QCOMPARE(shown(), QStringLiteral("1100-"));
    QCOMPARE(f.get<QLabel>("Label_Mensagem")->text(),
             QStringLiteral("To calibrate the graphic, specify the coordinates of three points and click the "
                            "corresponding position on the image"));
    f.get<QRadioButton>("Option_LeituraDados")->click();
    QCOMPARE(shown(), QStringLiteral("0011r"));
    QCOMPARE(f.get<QLabel>("Label_Mensagem")->text(),
             QStringLiteral("By clicking on the image, the points coordinates are stored in the specified file"));
    f.get<QRadioButton>("Option_Calibracao")->click();
    QCOMPARE(shown(), QStringLiteral("1100-"));
    // Back from reading: still calibrated, reading available at once.
    QVERIFY(f.form->engine().calibration().allDefined());
    QVERIFY(f.get<QRadioButton>("Option_LeituraDados")->isEnabled());
    QVERIFY(f.dialogs.messages.isEmpty());
}

void tst_CalibrationWorkflow::reloadWhileReadingStartsAgain()
{
    FormFixture f;
    loadAndCalibrate(f);
    f.get<QLineEdit>("Text_X1")->setText(QStringLiteral("8"));
    f.get<QRadioButton>("Option_LeituraDados")->click();
    f.get<QCheckBox>("Check_YLog")->click(); // Y 0..1: refused, see below
    f.dialogs.messages.clear();
    f.get<QLineEdit>("Text_X1")->setText(QStringLiteral("100"));
    f.get<QLineEdit>("Text_X0")->setText(QStringLiteral("1"));
    f.get<QCheckBox>("Check_XLog")->click();
    QVERIFY(f.get<QCheckBox>("Check_XLog")->isChecked());

    f.load(f.makePicture(QStringLiteral("second.bmp"), 200, 200));
    for (const char *label : {"Label0", "Label1", "Label2"})
        QCOMPARE(f.get<QLabel>(label)->text(), QStringLiteral("Not calibrated"));
    QVERIFY(f.get<QRadioButton>("Option_Canto0")->isChecked());
    QVERIFY(f.get<QRadioButton>("Option_Calibracao")->isChecked());
    QVERIFY(!f.get<QRadioButton>("Option_LeituraDados")->isEnabled());
    QVERIFY(!f.form->engine().calibration().CantoDefinido0 && !f.form->engine().calibration().CantoDefinido2);
    QCOMPARE(f.get<QLabel>("Label_PontosGravados")->text(), QStringLiteral("0 saved points"));
    QCOMPARE(f.get<QLineEdit>("Text_X1")->text(), QStringLiteral("100"));
    QCOMPARE(f.get<QLineEdit>("Text_X2")->text(), QStringLiteral("1"));
    QVERIFY(f.get<QCheckBox>("Check_XLog")->isChecked());
    QCOMPARE(f.picture()->drawingCount(), 0); // the old markers went with the old picture
}

void tst_CalibrationWorkflow::mirroringFollowsEveryKeystroke()
{
    FormFixture f;
    f.load(f.makePicture(QStringLiteral("chart.bmp"), 100, 100));
    auto *x0 = f.get<QLineEdit>("Text_X0");
    auto *y0 = f.get<QLineEdit>("Text_Y0");
    QSignalSpy x2(f.get<QLineEdit>("Text_X2"), &QLineEdit::textChanged);
    QSignalSpy y1(f.get<QLineEdit>("Text_Y1"), &QLineEdit::textChanged);
    x0->selectAll();
    QTest::keyClicks(x0, QStringLiteral("25"));
    QCOMPARE(x2.size(), 2);
    QCOMPARE(x2.at(0).at(0).toString(), QStringLiteral("2"));
    QCOMPARE(x2.at(1).at(0).toString(), QStringLiteral("25"));
    y0->selectAll();
    QTest::keyClicks(y0, QStringLiteral("-1.5"));
    QCOMPARE(f.get<QLineEdit>("Text_Y1")->text(), QStringLiteral("-1.5"));
    QCOMPARE(y1.size(), 4);
    y0->setText(QStringLiteral("abc")); // changes made by the program are copied too, unparsed
    QCOMPARE(f.get<QLineEdit>("Text_Y1")->text(), QStringLiteral("abc"));
    QVERIFY(!f.get<QLineEdit>("Text_X2")->isEnabled());
    QVERIFY(!f.get<QLineEdit>("Text_Y1")->isEnabled());
}

void tst_CalibrationWorkflow::positiveRuleOnTicking_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("refused");
    QTest::newRow("Y 1 to -1") << "Check_YLog" << "1" << "-1" << true;
    QTest::newRow("Y 1 to 10") << "Check_YLog" << "1" << "10" << false;
    QTest::newRow("X 1 to 0: zero is not positive") << "Check_XLog" << "1" << "0" << true;
    QTest::newRow("X text that reads 0") << "Check_XLog" << "abc" << "5" << true;
    QTest::newRow("X 0.5 to 1e3") << "Check_XLog" << "0.5" << "1e3" << false;
}

void tst_CalibrationWorkflow::positiveRuleOnTicking()
{
    QFETCH(QString, box);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(bool, refused);
    FormFixture f;
    loadAndCalibrate(f);
    const bool x = box == QLatin1String("Check_XLog");
    f.get<QLineEdit>(x ? "Text_X0" : "Text_Y0")->setText(first);
    f.get<QLineEdit>(x ? "Text_X1" : "Text_Y2")->setText(second);
    f.get<QLineEdit>(x ? "Text_Y1" : "Text_X2")->setText(QStringLiteral("-7")); // the mirror plays no part
    f.get<QRadioButton>("Option_LeituraDados")->click();
    auto *check = f.form->findChild<QCheckBox *>(box);
    check->click();
    QCOMPARE(f.dialogs.messages.size(), refused ? 1 : 0);
    if (refused)
        QCOMPARE(f.dialogs.messages.first(),
                 QStringLiteral("Logarithmic coordinates are allowed only with positive values."));
    QCOMPARE(check->isChecked(), !refused);
    if (!refused) {
        check->click(); // unticking never asks
        QVERIFY(!check->isChecked());
        QVERIFY(f.dialogs.messages.isEmpty());
    }
}

void tst_CalibrationWorkflow::bothAxesRefusedOnEnteringReading_data()
{
    QTest::addColumn<QString>("zeroX");
    QTest::addColumn<QString>("zeroY");
    QTest::newRow("X0 and Y0 zero") << "Text_X0" << "Text_Y0";
    QTest::newRow("X1 and Y2 not positive") << "Text_X1" << "Text_Y2";
}

void tst_CalibrationWorkflow::bothAxesRefusedOnEnteringReading()
{
    QFETCH(QString, zeroX);
    QFETCH(QString, zeroY);
    FormFixture f;
    loadAndCalibrate(f);
    f.get<QLineEdit>("Text_X0")->setText(QStringLiteral("1"));
    f.get<QLineEdit>("Text_X1")->setText(QStringLiteral("10"));
    f.get<QLineEdit>("Text_Y0")->setText(QStringLiteral("1"));
    f.get<QLineEdit>("Text_Y2")->setText(QStringLiteral("10"));
    auto *reading = f.get<QRadioButton>("Option_LeituraDados");
    auto *calibration = f.get<QRadioButton>("Option_Calibracao");
    auto *xLog = f.get<QCheckBox>("Check_XLog");
    auto *yLog = f.get<QCheckBox>("Check_YLog");
    reading->click();
    xLog->click();
    yLog->click();
    QVERIFY(xLog->isChecked() && yLog->isChecked());
    calibration->click();
    f.form->findChild<QLineEdit *>(zeroX)->setText(QStringLiteral("0"));
    f.form->findChild<QLineEdit *>(zeroY)->setText(QStringLiteral("-3"));

    QStringList seen; // the window as it stands behind each message
    f.dialogs.onMessage = [&](const QString &) {
        seen << QStringLiteral("%1 %2 %3")
                    .arg(f.get<QWidget>("Frame_Leitura")->isVisible())
                    .arg(xLog->isChecked())
                    .arg(yLog->isChecked());
    };
    reading->click();
    QCOMPARE(f.dialogs.messages.size(), 2);
    // Reading groups already shown; X cleared only after its message.
    QCOMPARE(seen, (QStringList{"1 1 1", "1 0 1"}));
    QVERIFY(!xLog->isChecked() && !yLog->isChecked());
    QVERIFY(reading->isChecked()); // the mode change stands
}

void tst_CalibrationWorkflow::unknownLanguageStillUnticks()
{
    FormFixture f(QStringLiteral("Klingon"));
    loadAndCalibrate(f);
    f.get<QLineEdit>("Text_X0")->setText(QStringLiteral("-1"));
    f.get<QRadioButton>("Option_LeituraDados")->click();
    auto *xLog = f.get<QCheckBox>("Check_XLog");
    xLog->click();
    QVERIFY(f.dialogs.messages.isEmpty()); // no text to show in that language
    QVERIFY(!xLog->isChecked());
    QCOMPARE(f.get<QLabel>("Label_Mensagem")->text(), QStringLiteral("Mensagem :"));
}

void tst_CalibrationWorkflow::markersSitOnTheirPoints()
{
    FormFixture f;
    loadAndCalibrate(f);
    QCOMPARE(colourAt(f.picture(), f.pixelAt(10, 10)), QColor(255, 0, 0));
    QCOMPARE(colourAt(f.picture(), f.pixelAt(90, 10)), QColor(0, 200, 0));
    QCOMPARE(colourAt(f.picture(), f.pixelAt(10, 90)), QColor(0, 0, 255));
    // 5 pixels across: two pixels off the centre still coloured, four off not.
    QCOMPARE(colourAt(f.picture(), f.pixelAt(10, 10) + QPoint(2, 0)), QColor(255, 0, 0));
    QCOMPARE(colourAt(f.picture(), f.pixelAt(10, 10) + QPoint(0, 4)), QColor(Qt::white));
}

void tst_CalibrationWorkflow::higherPointIsOnTop()
{
    FormFixture f;
    f.load(f.makePicture(QStringLiteral("chart.bmp"), 200, 200));
    f.get<QRadioButton>("Option_Canto2")->click();
    f.click(40, 40);
    f.get<QRadioButton>("Option_Canto0")->click();
    f.click(40, 40);
    f.get<QRadioButton>("Option_Canto1")->click();
    f.click(40, 40);
    QCOMPARE(colourAt(f.picture(), f.pixelAt(40, 40)), QColor(0, 0, 255));
}

void tst_CalibrationWorkflow::recordedDotsGoAtTheNextCalibrationClick()
{
    FormFixture f;
    loadAndCalibrate(f);
    f.get<QRadioButton>("Option_LeituraDados")->click();
    f.moveTo(50, 50);
    f.click(50, 50);
    QCOMPARE(colourAt(f.picture(), f.pixelAt(50, 50)), QColor(255, 0, 0));
    f.get<QRadioButton>("Option_Calibracao")->click();
    f.get<QRadioButton>("Option_Canto1")->click();
    f.click(80, 20);
    QCOMPARE(colourAt(f.picture(), f.pixelAt(50, 50)), QColor(Qt::white));
    QCOMPARE(colourAt(f.picture(), f.pixelAt(80, 20)), QColor(0, 200, 0));
    QCOMPARE(colourAt(f.picture(), f.pixelAt(10, 10)), QColor(255, 0, 0));
}

void tst_CalibrationWorkflow::helpSketch()
{
    FormFixture f;
    f.load(f.makePicture(QStringLiteral("chart.bmp"), 100, 100));
    auto *sketch = f.get<PicturePanel>("Picture_Desenho");
    QVERIFY(sketch->isVisible());
    const int drawn = sketch->drawingCount();
    QCOMPARE(drawn, 10); // two axes, three dots, five texts
    const QRect area = sketch->contentsRect();
    auto at = [&](double fx, double fy) {
        return area.topLeft() + QPoint(int(fx * area.width()), int((1 - fy) * area.height()));
    };
    QCOMPARE(colourAt(sketch, at(0.2, 0.2)), QColor(255, 0, 0));
    QCOMPARE(colourAt(sketch, at(0.6, 0.2)), QColor(0, 200, 0));
    QCOMPARE(colourAt(sketch, at(0.2, 0.6)), QColor(0, 0, 255));
    QCOMPARE(colourAt(sketch, at(0.7, 0.2)), QColor(Qt::black)); // on the X axis
    // Hidden while reading, shown again unchanged.
    loadAndCalibrate(f);
    f.get<QRadioButton>("Option_LeituraDados")->click();
    QVERIFY(!sketch->isVisible());
    f.get<QRadioButton>("Option_Calibracao")->click();
    QVERIFY(sketch->isVisible());
    QCOMPARE(sketch->drawingCount(), drawn);
    QCOMPARE(colourAt(sketch, at(0.2, 0.6)), QColor(0, 0, 255));
}

QTEST_MAIN(tst_CalibrationWorkflow)
#include "tst_calibrationworkflow.moc"

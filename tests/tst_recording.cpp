// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The live readout, recording points and the data file's lifecycle.
#include "formfixture.h"
#include "ui/fieldfeedback.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>

#include <sys/stat.h>

class tst_Recording : public QObject
{
    Q_OBJECT
private slots:
    void readoutOfWorkedExamples_data();
    void readoutOfWorkedExamples();
    void everyButtonRecordsExactBytes();
    void newDataSetAfterReloadKeepsTheLines();
    void existingLinesSurviveTheStart();
    void choosingAFileStartsItEmpty();
    void cancellingTheChoiceChangesNothing();
    void fileLabelKeepsTheFileNameWhole();
    void calibrationClicksWriteNothing();
    void staleReadoutStoresWhatIsShown();
    void equalValuesSendTheUserBack_data();
    void equalValuesSendTheUserBack();
    void equalValuesWhileCalibratingAskNothing();
    void portugueseSeparatorInTheFile();
    void noValueIsNeverRecorded();
    void unwritableFolderRefusesClicks();
    void fullDiskRefusesTheClick();
    void countGoesPast32767();
    void fifoAsDataFileIsRefused();
    void renamedFileRefusesTheClick();
    void pointCountsOnlyAfterTheSync();
    void pointsOnOneLineStoreNothing_data();
    void pointsOnOneLineStoreNothing();
    void clickBeforeAnyReadoutSaysToMoveFirst();
    void partlyReadFieldShowsWhatItIsReadAs();

private:
    static void calibrate(FormFixture &f, const QString &x1 = QStringLiteral("8"),
                          const QString &y2 = QStringLiteral("4"));
    static QByteArray dataFile(const FormFixture &f, const QString &path = QString())
    {
        return path.isEmpty() ? f.dataFile() : fileBytes(path);
    }
    static QString readout(const FormFixture &f)
    {
        return f.get<QLabel>("Label_Leitura_X")->text() + QLatin1Char(' ')
               + f.get<QLabel>("Label_Leitura_Y")->text();
    }
};

void tst_Recording::calibrate(FormFixture &f, const QString &x1, const QString &y2)
{
    f.calibrate(x1, y2);
}

void tst_Recording::readoutOfWorkedExamples_data()
{
    QTest::addColumn<QString>("x0");
    QTest::addColumn<QString>("x1");
    QTest::addColumn<QString>("y0");
    QTest::addColumn<QString>("y2");
    QTest::addColumn<bool>("xLog");
    QTest::addColumn<bool>("yLog");
    QTest::addColumn<QString>("expected");
    QTest::newRow("linear") << "0" << "8" << "0" << "4" << false << false << "4.0000E+00 1.0000E+00";
    QTest::newRow("log X") << "1" << "1000" << "0" << "4" << true << false << "3.1623E+01 1.0000E+00";
    QTest::newRow("both log") << "1" << "1000" << "0.1" << "100" << true << true << "3.1623E+01 5.6234E-01";
    QTest::newRow("negative values") << "0" << "-8" << "0" << "-4" << false << false << "-4.0000E+00 -1.0000E+00";
}

void tst_Recording::readoutOfWorkedExamples()
{
    QFETCH(QString, x0);
    QFETCH(QString, x1);
    QFETCH(QString, y0);
    QFETCH(QString, y2);
    QFETCH(bool, xLog);
    QFETCH(bool, yLog);
    FormFixture f;
    QCOMPARE(readout(f), QStringLiteral("---- ----"));
    f.get<QLineEdit>("Text_X0")->setText(x0);
    f.get<QLineEdit>("Text_Y0")->setText(y0);
    calibrate(f, x1, y2);
    f.get<QCheckBox>("Check_XLog")->setChecked(xLog);
    f.get<QCheckBox>("Check_YLog")->setChecked(yLog);
    f.moveTo(50, 30);
    QTEST(readout(f), "expected");
    QVERIFY(f.dialogs.messages.isEmpty());
    QCOMPARE(f.picture()->cursor().shape(), Qt::CrossCursor);
    // Leaving reading keeps the last texts.
    f.get<QRadioButton>("Option_Calibracao")->click();
    f.moveTo(80, 80);
    QTEST(readout(f), "expected");
}

void tst_Recording::everyButtonRecordsExactBytes()
{
    FormFixture f;
    QCOMPARE(f.form->NomeFicheiro, QDir(f.home.path()).filePath(QStringLiteral("coords.txt")));
    calibrate(f);
    f.moveTo(50, 30);
    f.click(50, 30, Qt::LeftButton);
    f.moveTo(90, 90);
    f.click(90, 90, Qt::RightButton);
    f.moveTo(10, 10);
    f.click(10, 10, Qt::MiddleButton);
    QCOMPARE(dataFile(f), QByteArray("4.0000E+00\t1.0000E+00\r\n"
                                     "8.0000E+00\t4.0000E+00\r\n"
                                     "0.0000E+00\t0.0000E+00\r\n"));
    QCOMPARE(f.get<QLabel>("Label_PontosGravados")->text(), QStringLiteral(" 3 saved points"));
    QCOMPARE(f.form->engine().count(), 3);
}

void tst_Recording::newDataSetAfterReloadKeepsTheLines()
{
    FormFixture f;
    calibrate(f);
    for (int i = 0; i < 3; ++i) {
        f.moveTo(50, 30);
        f.click(50, 30);
    }
    QCOMPARE(f.get<QLabel>("Label_PontosGravados")->text(), QStringLiteral(" 3 saved points"));
    calibrate(f); // another picture: a new data set in the same file
    QCOMPARE(f.get<QLabel>("Label_PontosGravados")->text(), QStringLiteral("0 saved points"));
    f.moveTo(90, 10);
    f.click(90, 10);
    QCOMPARE(f.get<QLabel>("Label_PontosGravados")->text(), QStringLiteral(" 1 saved points"));
    QCOMPARE(dataFile(f).count("\r\n"), 4);
    QVERIFY(dataFile(f).endsWith("8.0000E+00\t0.0000E+00\r\n"));
}

void tst_Recording::existingLinesSurviveTheStart()
{
    QTemporaryDir home;
    QFile earlier(home.filePath(QStringLiteral("coords.txt")));
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("1.0000E+00\t2.0000E+00\r\n");
    earlier.close();
    qputenv("HOME", home.path().toLocal8Bit());
    ScriptedDialogs dialogs;
    Idioma = QStringLiteral("Ingles");
    Form1 form(dialogs);
    form.Form_Load();
    QCOMPARE(form.NomeFicheiro, earlier.fileName());
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("1.0000E+00\t2.0000E+00\r\n"));
    QVERIFY(dialogs.messages.isEmpty());
}

void tst_Recording::choosingAFileStartsItEmpty()
{
    FormFixture f;
    calibrate(f);
    for (int i = 0; i < 12; ++i) {
        f.moveTo(50, 30);
        f.click(50, 30);
    }
    const QString old = f.form->NomeFicheiro;
    const QString chosen = f.home.filePath(QStringLiteral("curve.txt"));
    QFile existing(chosen);
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("old contents the user agreed to replace\r\n");
    existing.close();
    f.dialogs.dataFileAnswers.push_back(chosen);
    f.get<QPushButton>("Command3")->click();
    const FileDialogRequest request = f.dialogs.saveRequests.first();
    QCOMPARE(request.filter, QStringLiteral("All files|*.*|Text Files (*.txt)|*.txt"));
    QCOMPARE(request.selectedFilter, 2);
    QCOMPARE(f.get<QLabel>("Label_PontosGravados")->text(), QStringLiteral("0 saved points"));
    QCOMPARE(dataFile(f, chosen), QByteArray());
    f.click(50, 30);
    QCOMPARE(f.get<QLabel>("Label_PontosGravados")->text(), QStringLiteral(" 1 saved points"));
    QCOMPARE(dataFile(f, chosen), QByteArray("4.0000E+00\t1.0000E+00\r\n"));
    QCOMPARE(dataFile(f, old).count("\r\n"), 12);
}

void tst_Recording::cancellingTheChoiceChangesNothing()
{
    FormFixture f;
    calibrate(f);
    for (int i = 0; i < 5; ++i) {
        f.moveTo(50, 30);
        f.click(50, 30);
    }
    const QString label = f.get<QLabel>("Label_Ficheiro")->text();
    f.dialogs.dataFileAnswers.push_back(std::nullopt);
    f.get<QPushButton>("Command3")->click();
    QCOMPARE(f.get<QLabel>("Label_PontosGravados")->text(), QStringLiteral(" 5 saved points"));
    QCOMPARE(f.get<QLabel>("Label_Ficheiro")->text(), label);
    f.click(50, 30);
    QCOMPARE(dataFile(f).count("\r\n"), 6);
}

void tst_Recording::fileLabelKeepsTheFileNameWhole()
{
    FormFixture f;
    QLabel *label = f.get<QLabel>("Label_Ficheiro");
    const QString deep = QStringLiteral("Projects/Graphs/of/a/long/and/winding/project/folder");
    QDir(f.home.path()).mkpath(deep);
    const QString longPath = f.home.filePath(deep + QStringLiteral("/fig3b_digitized_points.txt"));
    const QString shortPath = f.home.filePath(QStringLiteral("a.txt"));
    const QString longName = f.home.filePath(QStringLiteral("an_extremely_long_file_name_for_the_points_of_figure_3b.txt"));
    calibrate(f);
    for (const QString &path : {longPath, shortPath, longName}) {
        f.dialogs.dataFileAnswers.push_back(path);
        f.get<QPushButton>("Command3")->click();
        const QString shown = label->text();
        QCOMPARE(label->toolTip(), path);
        QVERIFY2(label->fontMetrics().horizontalAdvance(shown) <= label->width(), qPrintable(shown));
        // Never cut at an edge: what shows ends with the name's own end.
        QVERIFY2(shown.startsWith(QStringLiteral("File: ")) && shown.endsWith(QStringLiteral(".txt")), qPrintable(shown));
        if (path == longPath)
            QVERIFY2(shown.endsWith(QStringLiteral("\u2026/fig3b_digitized_points.txt")), qPrintable(shown));
        if (path == shortPath)
            QCOMPARE(shown, QStringLiteral("File: ") + path);
        QCOMPARE(f.form->NomeFicheiro, path);
    }
}

void tst_Recording::calibrationClicksWriteNothing()
{
    FormFixture f;
    calibrate(f);
    f.get<QRadioButton>("Option_Calibracao")->click();
    f.moveTo(50, 30);
    f.click(50, 30);
    QCOMPARE(dataFile(f), QByteArray());
    QCOMPARE(f.form->engine().count(), 0);
}

void tst_Recording::staleReadoutStoresWhatIsShown()
{
    FormFixture f;
    calibrate(f);
    f.moveTo(50, 30);
    f.get<QRadioButton>("Option_Calibracao")->click();
    f.get<QRadioButton>("Option_LeituraDados")->click(); // back by keyboard: no move since
    f.click(90, 90);
    QCOMPARE(dataFile(f), QByteArray("4.0000E+00\t1.0000E+00\r\n"));
}

void tst_Recording::equalValuesSendTheUserBack_data()
{
    QTest::addColumn<QString>("x1");
    QTest::addColumn<QString>("y2");
    QTest::addColumn<QString>("selected");
    QTest::newRow("X axis") << "0" << "4" << "Option_Canto1";
    QTest::newRow("Y axis") << "8" << "0.0" << "Option_Canto2";
    QTest::newRow("both axes: one message, point 1") << "0" << "0" << "Option_Canto1";
}

void tst_Recording::equalValuesSendTheUserBack()
{
    QFETCH(QString, x1);
    QFETCH(QString, y2);
    FormFixture f;
    calibrate(f);
    f.get<QLineEdit>("Text_X1")->setText(x1);
    f.get<QLineEdit>("Text_Y2")->setText(y2);
    f.moveTo(50, 30);
    QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("Calibration error")});
    QVERIFY(f.get<QRadioButton>("Option_Calibracao")->isChecked());
    QVERIFY(f.form->findChild<QRadioButton *>(QTest::currentDataTag()[0] == 'Y' ? "Option_Canto2" : "Option_Canto1")->isChecked());
    QFETCH(QString, selected);
    QVERIFY(f.form->findChild<QRadioButton *>(selected)->isChecked());
    QVERIFY(!f.get<QRadioButton>("Option_LeituraDados")->isEnabled());
    const bool xFails = x1 == QLatin1String("0");
    const bool yFails = y2.toDouble() == 0;
    QCOMPARE(f.form->engine().calibration().CantoDefinido1, !xFails);
    QCOMPARE(f.form->engine().calibration().CantoDefinido2, !yFails);
    QCOMPARE(f.get<QLabel>("Label1")->text(), xFails ? QStringLiteral("Not calibrated") : QStringLiteral("Calibrated"));
    QCOMPARE(f.get<QLabel>("Label2")->text(), yFails ? QStringLiteral("Not calibrated") : QStringLiteral("Calibrated"));
    QCOMPARE(f.get<QLabel>("Label_Leitura_X")->text(), QStringLiteral("----")); // never shown
}

void tst_Recording::equalValuesWhileCalibratingAskNothing()
{
    FormFixture f;
    calibrate(f);
    f.get<QRadioButton>("Option_Calibracao")->click();
    f.get<QLineEdit>("Text_X1")->setText(QStringLiteral("0"));
    f.moveTo(50, 30);
    QVERIFY(f.dialogs.messages.isEmpty());
    QVERIFY(!f.form->engine().calibration().CantoDefinido1);
    QCOMPARE(f.get<QLabel>("Label1")->text(), QStringLiteral("Not calibrated"));
    QVERIFY(!f.get<QRadioButton>("Option_LeituraDados")->isEnabled());
}

void tst_Recording::portugueseSeparatorInTheFile()
{
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Portugal));
    FormFixture f(QStringLiteral("Portugues"));
    calibrate(f);
    f.moveTo(50, 30);
    f.click(50, 30);
    QLocale::setDefault(QLocale::c());
    QCOMPARE(readout(f), QStringLiteral("4,0000E+00 1,0000E+00"));
    QCOMPARE(dataFile(f), QByteArray("4,0000E+00\t1,0000E+00\r\n"));
    QCOMPARE(f.get<QLabel>("Label_PontosGravados")->text(), QStringLiteral(" 1 pontos gravados"));
}

void tst_Recording::noValueIsNeverRecorded()
{
    FormFixture f;
    f.get<QLineEdit>("Text_X0")->setText(QStringLiteral("1"));
    calibrate(f, QStringLiteral("1000"));
    f.get<QCheckBox>("Check_XLog")->click();
    // Typed after the box was ticked: only the next entry to reading checks it.
    f.get<QRadioButton>("Option_Calibracao")->click();
    f.get<QRadioButton>("Option_Canto0")->click();
    f.get<QLineEdit>("Text_X0")->setText(QStringLiteral("-5"));
    f.get<QRadioButton>("Option_Canto1")->click();
    f.form->findChild<QRadioButton *>("Option_LeituraDados")->setChecked(true);
    // Entering reading refused the log axis; tick it again behind the rule's back.
    QCOMPARE(f.dialogs.messages.size(), 1);
    f.dialogs.messages.clear();
    f.get<QCheckBox>("Check_XLog")->blockSignals(true);
    f.get<QCheckBox>("Check_XLog")->setChecked(true);
    f.get<QCheckBox>("Check_XLog")->blockSignals(false);
    f.moveTo(50, 30);
    QCOMPARE(f.get<QLabel>("Label_Leitura_X")->text(), QStringLiteral("no value"));
    // Y is sound on its own, but the frame is not: no value either.
    QCOMPARE(f.get<QLabel>("Label_Leitura_Y")->text(), QStringLiteral("no value"));
    f.click(50, 30);
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY(f.dialogs.messages.first().startsWith(QStringLiteral("There is no value")));
    QCOMPARE(dataFile(f), QByteArray());
    QCOMPARE(f.form->engine().count(), 0);
    QCOMPARE(f.picture()->drawingCount(), 3); // the three markers, no red dot
}

void tst_Recording::unwritableFolderRefusesClicks()
{
    FormFixture f;
    calibrate(f);
    const QString missing = f.home.filePath(QStringLiteral("no/such/folder/data.txt"));
    f.dialogs.dataFileAnswers.push_back(missing);
    f.get<QPushButton>("Command3")->click();
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY(f.dialogs.messages.first().startsWith(QStringLiteral("The data file cannot be created")));
    QVERIFY(f.dialogs.messages.first().contains(missing));
    f.moveTo(50, 30);
    f.click(50, 30);
    f.click(50, 30);
    QCOMPARE(f.dialogs.messages.size(), 3); // every refused click says why
    QVERIFY(f.dialogs.messages.last().startsWith(QStringLiteral("The point could not be written")));
    QCOMPARE(f.form->engine().count(), 0);
    QCOMPARE(f.get<QLabel>("Label_PontosGravados")->text(), QStringLiteral("0 saved points"));
    QCOMPARE(f.picture()->drawingCount(), 3);
    // A working file ends the refusals.
    const QString good = f.home.filePath(QStringLiteral("good.txt"));
    f.dialogs.dataFileAnswers.push_back(good);
    f.get<QPushButton>("Command3")->click();
    f.click(50, 30);
    QCOMPARE(dataFile(f, good), QByteArray("4.0000E+00\t1.0000E+00\r\n"));
    QCOMPARE(f.dialogs.messages.size(), 3);
}

void tst_Recording::fullDiskRefusesTheClick()
{
    FormFixture f;
    const SmallFileSystem small;
    if (!small.mounted())
        QSKIP("cannot mount a small file system here");
    const QString path = small.filePath(QStringLiteral("data.txt"));
    {
        QFile filler(small.filePath(QStringLiteral("filler")));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        filler.write(QByteArray(8192 - 40, 'x')); // leaves room for one line at most
    }
    calibrate(f);
    f.dialogs.dataFileAnswers.push_back(path);
    f.get<QPushButton>("Command3")->click();
    QVERIFY(f.dialogs.messages.isEmpty());
    int stored = 0;
    for (int i = 0; i < 400 && f.dialogs.messages.isEmpty(); ++i) {
        f.moveTo(50, 30);
        f.click(50, 30);
        stored = int(f.form->engine().count());
    }
    const QByteArray written = dataFile(f, path);
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY(f.dialogs.messages.first().startsWith(QStringLiteral("The point could not be written")));
    // Only whole lines, exactly as many as were counted.
    QCOMPARE(written.count("\r\n"), stored);
    QCOMPARE(written.size(), stored * 23);
    QCOMPARE(f.get<QLabel>("Label_PontosGravados")->text(),
             stored ? QStringLiteral(" %1 saved points").arg(stored) : QStringLiteral("0 saved points"));
}

void tst_Recording::countGoesPast32767()
{
    FormFixture f;
    calibrate(f);
    const pontiva::ReferenceInputs fields{"0", "8", "0", "4", false, false};
    QCOMPARE(f.form->engine().recordGroup(fields, std::vector<pontiva::GroupPosition>(32767, {50, 30}), '.').count,
             32767);
    f.moveTo(50, 30);
    f.click(50, 30);
    QCOMPARE(f.get<QLabel>("Label_PontosGravados")->text(), QStringLiteral(" 32768 saved points"));
    QCOMPARE(dataFile(f).count("\r\n"), 32768);
}

// A named pipe as the default file used to hang the window at start-up; as
// a chosen file it hung the click that chose it.
void tst_Recording::fifoAsDataFileIsRefused()
{
    FormFixture f(QStringLiteral("Ingles"), [](const QTemporaryDir &home) {
        QVERIFY(::mkfifo(QFile::encodeName(home.filePath(QStringLiteral("coords.txt"))).constData(), 0644) == 0);
    });
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY(f.dialogs.messages.first().startsWith(QStringLiteral("The data file cannot be created or opened")));
    calibrate(f); // a picture load opens the default file again, and refuses it again
    QCOMPARE(f.dialogs.messages.size(), 2);
    f.moveTo(50, 30);
    f.click(50, 30);
    QCOMPARE(f.dialogs.messages.size(), 3);
    QVERIFY(f.dialogs.messages.last().startsWith(QStringLiteral("The point could not be written")));
    QCOMPARE(f.form->engine().count(), 0);

    const QString fifo = f.home.filePath(QStringLiteral("chosen.fifo"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0644) == 0);
    f.dialogs.dataFileAnswers.push_back(fifo);
    f.get<QPushButton>("Command3")->click();
    QCOMPARE(f.dialogs.messages.size(), 4);
    QVERIFY(f.dialogs.messages.last().contains(fifo));
}

// Points must go where the label says, or nowhere.
void tst_Recording::renamedFileRefusesTheClick()
{
    FormFixture f;
    calibrate(f);
    f.moveTo(50, 30);
    f.click(50, 30);
    const QString moved = f.home.filePath(QStringLiteral("moved.txt"));
    QVERIFY(QFile::rename(f.form->NomeFicheiro, moved));
    f.moveTo(90, 90);
    f.click(90, 90);
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY(f.dialogs.messages.first().startsWith(QStringLiteral("The point could not be written")));
    QCOMPARE(f.form->engine().count(), 1);
    QCOMPARE(dataFile(f, moved), QByteArray("4.0000E+00\t1.0000E+00\r\n"));
    QCOMPARE(f.picture()->drawingCount(), 4); // three markers and the first dot
}

// What a SIGKILL cannot tell apart: the line must be on storage before the
// window counts or marks the point.
void tst_Recording::pointCountsOnlyAfterTheSync()
{
    FormFixture f;
    calibrate(f);
    QStringList labelsAtSync;
    QList<int> dotsAtSync;
    QByteArrayList fileAtSync;
    pontiva::StorageCalls calls = pontiva::systemStorageCalls();
    const auto realSync = calls.sync;
    calls.sync = [&](int fd) {
        labelsAtSync << f.get<QLabel>("Label_PontosGravados")->text();
        dotsAtSync << f.picture()->drawingCount();
        fileAtSync << dataFile(f);
        return realSync(fd);
    };
    f.form->engine().recordedPoints().file().setStorageCalls(calls);
    f.moveTo(50, 30);
    f.click(50, 30);
    QCOMPARE(labelsAtSync, QStringList{QStringLiteral("0 saved points")});
    QCOMPARE(dotsAtSync, QList<int>{3});
    QCOMPARE(fileAtSync, QByteArrayList{"4.0000E+00\t1.0000E+00\r\n"});
    QCOMPARE(f.get<QLabel>("Label_PontosGravados")->text(), QStringLiteral(" 1 saved points"));

    // A sync that fails: nothing counts, the line is gone again.
    calls.sync = [](int) { return -1; };
    f.form->engine().recordedPoints().file().setStorageCalls(calls);
    f.click(50, 30);
    QCOMPARE(f.form->engine().count(), 1);
    QCOMPARE(dataFile(f), QByteArray("4.0000E+00\t1.0000E+00\r\n"));
    QVERIFY(f.dialogs.messages.last().startsWith(QStringLiteral("The point could not be written")));
}

void tst_Recording::pointsOnOneLineStoreNothing_data()
{
    QTest::addColumn<float>("x2");
    QTest::addColumn<float>("y2");
    QTest::newRow("point 2 clicked on the X axis") << 50.f << 10.f;
    QTest::newRow("point 2 on point 0") << 10.f << 10.f;
    QTest::newRow("point 2 beyond point 1, on its line") << 95.f << 10.f;
}

// Every position used to read point 0's values, and every click stored them.
void tst_Recording::pointsOnOneLineStoreNothing()
{
    QFETCH(float, x2);
    QFETCH(float, y2);
    FormFixture f;
    f.load(f.makePicture(QStringLiteral("chart.bmp"), 1000, 1000));
    f.click(10, 10);
    f.get<QRadioButton>("Option_Canto1")->click();
    f.get<QLineEdit>("Text_X1")->setText(QStringLiteral("8"));
    f.click(90, 10);
    f.get<QRadioButton>("Option_Canto2")->click();
    f.get<QLineEdit>("Text_Y2")->setText(QStringLiteral("4"));
    f.click(x2, y2);
    f.get<QRadioButton>("Option_LeituraDados")->click();
    f.moveTo(50, 30);
    QCOMPARE(readout(f), QStringLiteral("no value no value"));
    f.click(50, 30);
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY2(f.dialogs.messages.first().contains(QStringLiteral("not on one line")), qPrintable(f.dialogs.messages.first()));
    QCOMPARE(dataFile(f), QByteArray());
    QCOMPARE(f.form->engine().count(), 0);
}

void tst_Recording::clickBeforeAnyReadoutSaysToMoveFirst()
{
    FormFixture f;
    calibrate(f); // reading mode entered by keyboard: the readout still shows "----"
    f.click(50, 30);
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY2(f.dialogs.messages.first().contains(QStringLiteral("move the pointer over the picture first")),
             qPrintable(f.dialogs.messages.first()));
    QCOMPARE(dataFile(f), QByteArray());
}

void tst_Recording::partlyReadFieldShowsWhatItIsReadAs()
{
    FormFixture f;
    calibrate(f);
    auto *x1 = f.get<QLineEdit>("Text_X1");
    const QString plainTip = x1->toolTip();
    const QColor plainBase = x1->palette().color(QPalette::Base);
    f.get<QRadioButton>("Option_Calibracao")->click();
    f.get<QRadioButton>("Option_Canto1")->click();
    x1->setText(QStringLiteral("8,5"));
    QVERIFY(fieldShowsPartlyRead(x1));
    QVERIFY(x1->palette().color(QPalette::Base) != plainBase);
    QVERIFY2(x1->toolTip().contains(QStringLiteral("Read as 8")), qPrintable(x1->toolTip()));
    QVERIFY(x1->toolTip().startsWith(plainTip));
    QVERIFY(f.dialogs.messages.isEmpty()); // seen, never a box
    // What is computed does not change: 8,5 reads as 8.
    f.get<QRadioButton>("Option_LeituraDados")->click();
    f.moveTo(50, 30);
    QCOMPARE(readout(f), QStringLiteral("4.0000E+00 1.0000E+00"));

    // A Unicode minus on a mirrored field shows on its mirror too.
    f.get<QRadioButton>("Option_Calibracao")->click();
    f.get<QRadioButton>("Option_Canto0")->click();
    f.get<QLineEdit>("Text_X0")->setText(QStringLiteral("\u22125"));
    QVERIFY(fieldShowsPartlyRead(f.get<QLineEdit>("Text_X0")));
    QVERIFY(fieldShowsPartlyRead(f.get<QLineEdit>("Text_X2")));
    QVERIFY(f.get<QLineEdit>("Text_X0")->toolTip().contains(QStringLiteral("Read as 0")));

    x1->setText(QStringLiteral("8.5"));
    QVERIFY(!fieldShowsPartlyRead(x1));
    QCOMPARE(x1->toolTip(), plainTip);
    QCOMPARE(x1->palette().color(QPalette::Base), plainBase);
}

QTEST_MAIN(tst_Recording)
#include "tst_recording.moc"

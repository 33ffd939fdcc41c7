// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Undo and redo of recorded points through the window: the data file, the
// count and the dots move together, or not at all.
#include "formfixture.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>

#include <cerrno>

class tst_Undo : public QObject
{
    Q_OBJECT
private slots:
    void undoTwiceRedoOnceByKeys();
    void actionsAreEnabledOnlyWhenUseful();
    void newRecordingClearsRedo();
    void newDataSetIsOutOfReach();
    void fileChangedByAnotherProgramIsLeftAlone();
    void failedShorteningKeepsCountAndDot();
    void fullDiskRefusesTheRedo();
    void ctrlZInATextFieldUndoesTyping();
    void portugueseCaptions();
    void exportHoldsTheSetAsItStands();

private:
    static void recordAt(FormFixture &f, const QList<QPointF> &points)
    {
        for (const QPointF &p : points) {
            f.moveTo(float(p.x()), float(p.y()));
            f.click(float(p.x()), float(p.y()));
        }
    }
    static QString countLabel(const FormFixture &f) { return f.get<QLabel>("Label_PontosGravados")->text(); }
    static void activate(FormFixture &f)
    {
        f.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
    }
    static const QList<QPointF> Five;
};

// Readings (x, y) = (0.1 * (X - 10), 0.05 * (Y - 10)) on the fixture's frame.
const QList<QPointF> tst_Undo::Five = {{20, 30}, {30, 50}, {50, 30}, {70, 90}, {90, 10}};
static const QByteArray FiveLines[] = {"1.0000E+00\t1.0000E+00\r\n", "2.0000E+00\t2.0000E+00\r\n",
                                       "4.0000E+00\t1.0000E+00\r\n", "6.0000E+00\t4.0000E+00\r\n",
                                       "8.0000E+00\t0.0000E+00\r\n"};

void tst_Undo::undoTwiceRedoOnceByKeys()
{
    FormFixture f;
    f.calibrate();
    recordAt(f, Five);
    activate(f);
    QCOMPARE(f.picture()->drawingCount(), 3 + 5);
    QTest::keyClick(f.form.get(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(f.form.get(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(f.dataFile(), FiveLines[0] + FiveLines[1] + FiveLines[2]);
    QCOMPARE(countLabel(f), QStringLiteral(" 3 saved points"));
    QCOMPARE(f.picture()->drawingCount(), 3 + 3);
    QTest::keyClick(f.form.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(f.dataFile(), FiveLines[0] + FiveLines[1] + FiveLines[2] + FiveLines[3]);
    QCOMPARE(f.form->engine().count(), 4);
    QCOMPARE(countLabel(f), QStringLiteral(" 4 saved points"));
    QCOMPARE(f.picture()->drawingCount(), 3 + 4);
    QVERIFY(f.dialogs.messages.isEmpty());

    // Ctrl+Y redoes too; the file is byte for byte as recorded.
    QTest::keyClick(f.form.get(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(f.dataFile(), FiveLines[0] + FiveLines[1] + FiveLines[2] + FiveLines[3] + FiveLines[4]);
    QCOMPARE(countLabel(f), QStringLiteral(" 5 saved points"));

    // Down to nothing: the count keeps its recorded form.
    for (int i = 0; i < 7; ++i)
        QTest::keyClick(f.form.get(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(f.dataFile(), QByteArray());
    QCOMPARE(countLabel(f), QStringLiteral(" 0 saved points"));
    QCOMPARE(f.picture()->drawingCount(), 3); // the reference markers stay
    QVERIFY(f.dialogs.messages.isEmpty());
}

void tst_Undo::actionsAreEnabledOnlyWhenUseful()
{
    FormFixture f;
    auto *undo = f.get<QAction>("DesfazerPonto");
    auto *redo = f.get<QAction>("RefazerPonto");
    QVERIFY(!undo->isEnabled() && !redo->isEnabled());
    f.calibrate();
    QVERIFY(!undo->isEnabled() && !redo->isEnabled());
    recordAt(f, {Five[0]});
    QVERIFY(undo->isEnabled() && !redo->isEnabled());
    undo->trigger();
    QVERIFY(!undo->isEnabled() && redo->isEnabled());

    // Calibrating: the keys take reference points back, never the data file.
    f.get<QRadioButton>("Option_Calibracao")->click();
    QVERIFY(undo->isEnabled() && !redo->isEnabled());
    redo->trigger();
    QCOMPARE(f.dataFile(), QByteArray());
    f.get<QRadioButton>("Option_LeituraDados")->click();
    QVERIFY(!undo->isEnabled() && redo->isEnabled());
    redo->trigger();
    QCOMPARE(f.dataFile(), FiveLines[0]);
    QVERIFY(f.dialogs.messages.isEmpty());
}

void tst_Undo::newRecordingClearsRedo()
{
    FormFixture f;
    f.calibrate();
    recordAt(f, {Five[0], Five[1]});
    f.get<QAction>("DesfazerPonto")->trigger();
    recordAt(f, {Five[2]});
    QVERIFY(!f.get<QAction>("RefazerPonto")->isEnabled());
    f.get<QAction>("RefazerPonto")->trigger();
    QCOMPARE(f.dataFile(), FiveLines[0] + FiveLines[2]);
    QCOMPARE(f.form->engine().count(), 2);
}

// Lines of an earlier picture, or of a file chosen since, are never cut.
void tst_Undo::newDataSetIsOutOfReach()
{
    FormFixture f;
    f.calibrate();
    recordAt(f, {Five[0], Five[1]});
    f.calibrate(); // a new picture: a new data set after the two lines
    auto *undo = f.get<QAction>("DesfazerPonto");
    QVERIFY(!undo->isEnabled());
    undo->trigger();
    recordAt(f, {Five[2]});
    undo->trigger();
    undo->trigger();
    QCOMPARE(f.dataFile(), FiveLines[0] + FiveLines[1]);
    QCOMPARE(countLabel(f), QStringLiteral(" 0 saved points"));

    const QString chosen = f.home.filePath(QStringLiteral("chosen.txt"));
    recordAt(f, {Five[3]});
    f.dialogs.dataFileAnswers.push_back(chosen);
    f.get<QPushButton>("Command3")->click();
    QVERIFY(!undo->isEnabled());
    QVERIFY(!f.get<QAction>("RefazerPonto")->isEnabled());
}

void tst_Undo::fileChangedByAnotherProgramIsLeftAlone()
{
    FormFixture f;
    f.calibrate();
    recordAt(f, {Five[0], Five[1]});
    {
        QFile other(f.form->NomeFicheiro);
        QVERIFY(other.open(QIODevice::Append));
        other.write("7\t7\r\n");
    }
    const QByteArray before = f.dataFile();
    f.get<QAction>("DesfazerPonto")->trigger();
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY2(f.dialogs.messages.first().startsWith(QStringLiteral("The data file no longer ends with the last recorded point")),
             qPrintable(f.dialogs.messages.first()));
    QVERIFY(f.dialogs.messages.first().contains(f.form->NomeFicheiro));
    QCOMPARE(f.dataFile(), before);
    QCOMPARE(f.form->engine().count(), 2);
    QCOMPARE(f.picture()->drawingCount(), 3 + 2);
}

void tst_Undo::failedShorteningKeepsCountAndDot()
{
    FormFixture f;
    f.calibrate();
    recordAt(f, {Five[0], Five[1]});
    pontiva::StorageCalls calls = pontiva::systemStorageCalls();
    calls.truncate = [](int, off_t) {
        errno = EROFS; // a file system that has turned read-only
        return -1;
    };
    f.form->engine().recordedPoints().file().setStorageCalls(calls);
    f.get<QAction>("DesfazerPonto")->trigger();
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY(f.dialogs.messages.first().startsWith(QStringLiteral("The last point could not be removed")));
    QCOMPARE(f.dataFile(), FiveLines[0] + FiveLines[1]);
    QCOMPARE(countLabel(f), QStringLiteral(" 2 saved points"));
    QCOMPARE(f.picture()->drawingCount(), 3 + 2);
}

void tst_Undo::fullDiskRefusesTheRedo()
{
    FormFixture f;
    const SmallFileSystem small;
    if (!small.mounted())
        QSKIP("cannot mount a small file system here");
    f.calibrate();
    f.dialogs.dataFileAnswers.push_back(small.filePath(QStringLiteral("data.txt")));
    f.get<QPushButton>("Command3")->click();
    recordAt(f, {Five[0]});
    // Undo needs no space and frees the file's only page; then the disk
    // fills up and the line cannot go back.
    f.get<QAction>("DesfazerPonto")->trigger();
    QCOMPARE(f.dataFile(), QByteArray());
    {
        QFile filler(small.filePath(QStringLiteral("filler")));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        filler.write(QByteArray(16384, 'x'));
    }
    f.get<QAction>("RefazerPonto")->trigger();
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY(f.dialogs.messages.first().startsWith(QStringLiteral("The point could not be written")));
    QCOMPARE(f.dataFile(), QByteArray());
    QCOMPARE(countLabel(f), QStringLiteral(" 0 saved points"));
    QCOMPARE(f.picture()->drawingCount(), 3);
}

// Ctrl+Z belongs to the text field that has the focus.
void tst_Undo::ctrlZInATextFieldUndoesTyping()
{
    FormFixture f;
    f.calibrate();
    recordAt(f, {Five[0]});
    f.get<QRadioButton>("Option_Calibracao")->click();
    f.get<QRadioButton>("Option_Canto0")->click();
    activate(f);
    auto *field = f.get<QLineEdit>("Text_X0");
    field->setFocus();
    QTRY_VERIFY(field->hasFocus());
    QSignalSpy undone(f.get<QAction>("DesfazerPonto"), &QAction::triggered);
    field->end(false);
    QTest::keyClicks(field, QStringLiteral("5"));
    QCOMPARE(field->text(), QStringLiteral("05"));
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(field->text(), QStringLiteral("0"));
    QCOMPARE(undone.count(), 0);
    QCOMPARE(f.dataFile(), FiveLines[0]);
}

void tst_Undo::portugueseCaptions()
{
    FormFixture f(QStringLiteral("Portugues"));
    QCOMPARE(f.get<QMenu>("Editar")->title(), QStringLiteral("&Editar"));
    QCOMPARE(f.get<QAction>("DesfazerPonto")->text(), QStringLiteral("&Desfazer ponto"));
    FormFixture e;
    QCOMPARE(e.get<QMenu>("Editar")->title(), QStringLiteral("&Edit"));
    QCOMPARE(e.get<QAction>("RefazerPonto")->text(), QStringLiteral("&Redo point"));
    // After File, before Info.
    const QList<QAction *> menus = e.form->menuBar()->actions();
    QCOMPARE(menus.size(), 4); // File, Edit, View, Info
    QCOMPARE(menus[1]->menu()->objectName(), QStringLiteral("Editar"));
}

// The data set after an undo, as CSV beside the data file; a failed export
// leaves the file that was there.
void tst_Undo::exportHoldsTheSetAsItStands()
{
    FormFixture f;
    auto *exportSet = f.get<QAction>("ExportarConjunto");
    f.calibrate();
    QVERIFY(!exportSet->isEnabled());
    recordAt(f, Five);
    f.get<QAction>("DesfazerPonto")->trigger();
    QVERIFY(exportSet->isEnabled());
    const QString csv = f.home.filePath(QStringLiteral("set.csv"));
    f.dialogs.exportAnswers.push_back(csv);
    exportSet->trigger();
    QCOMPARE(f.dialogs.exportRequests.last().name, QStringLiteral("chart.csv"));
    const QByteArray expected = "x,y\n1.0000E+00,1.0000E+00\n2.0000E+00,2.0000E+00\n4.0000E+00,1.0000E+00\n"
                                "6.0000E+00,4.0000E+00\n";
    QCOMPARE(fileBytes(csv), expected);
    QVERIFY(f.dialogs.messages.isEmpty());
    // A folder that cannot be written: a message, and the file stays whole.
    QFile::setPermissions(f.home.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool permissionsIgnored = QFileInfo(f.home.path()).isWritable(); // as root
    f.dialogs.exportAnswers.push_back(csv);
    exportSet->trigger();
    QFile::setPermissions(f.home.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!permissionsIgnored) {
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY(f.dialogs.messages.first().startsWith(QStringLiteral("The data set could not be exported")));
    }
    QCOMPARE(fileBytes(csv), expected);
    f.dialogs.exportAnswers.push_back(f.home.filePath(QStringLiteral("missing/set.csv")));
    exportSet->trigger();
    QVERIFY(f.dialogs.messages.last().startsWith(QStringLiteral("The data set could not be exported")));
}

QTEST_MAIN(tst_Undo)
#include "tst_undo.moc"

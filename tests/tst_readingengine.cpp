// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The reading engine without a window: axis failures, refusals, groups and their undo, placements.
#include "reading/datasetexport.h"
#include "reading/readingengine.h"
#include "testfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace pontiva;

namespace {

// Point 0 at (10, 10) reads (0, 0), point 1 at (90, 10) reads (8, 0),
// point 2 at (10, 90) reads (0, 4), on a 1000 x 1000 picture.
const ReferenceInputs Aligned{"0", "8", "0", "4", false, false};

struct Calibrated {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("coords.txt"));
    ReadingEngine engine;
    Calibrated()
    {
        engine.setPictureSize(1000, 1000);
        engine.place(0, 10, 10);
        engine.place(1, 90, 10);
        engine.place(2, 10, 90);
        engine.startDataSet(path.toStdString());
    }
};

} // namespace

class tst_ReadingEngine : public QObject
{
    Q_OBJECT
private slots:
    void groupOrders();
    void axisFailures_data();
    void axisFailures();
    void refusals();
    void groupIsOneStep();
    void snappedClickOnARecordedMarkIsRefused();
    void placementsUndoAndRedo();
    void firstPointStartsItsOwnLine();
    void exportHoldsTheDataSetAsItStands();
    void exportReplacesWholeOrNotAtAll();
};

void tst_ReadingEngine::axisFailures_data()
{
    QTest::addColumn<QString>("x1");
    QTest::addColumn<QString>("y2");
    QTest::addColumn<bool>("reading");
    QTest::addColumn<int>("sentBackTo");
    QTest::addColumn<bool>("shown");
    QTest::newRow("both sound, reading") << "8" << "4" << true << 0 << true;
    QTest::newRow("x fails, reading") << "0" << "4" << true << 1 << false;
    QTest::newRow("y fails, reading") << "8" << "0" << true << 2 << false;
    QTest::newRow("both fail: back to point 1 only") << "0" << "0" << true << 1 << false;
    QTest::newRow("x fails, calibrating: nobody is sent back") << "0.0" << "4" << false << 0 << false;
}

void tst_ReadingEngine::axisFailures()
{
    QFETCH(QString, x1);
    QFETCH(QString, y2);
    QFETCH(bool, reading);
    QFETCH(int, sentBackTo);
    QFETCH(bool, shown);
    Calibrated c;
    const MoveOutcome m =
        c.engine.move({"0", x1.toStdString(), "0", y2.toStdString(), false, false}, 50, 30, reading, '.');
    QCOMPARE(m.sentBackTo, sentBackTo);
    QCOMPARE(m.readoutShown, shown);
    QCOMPARE(c.engine.calibration().CantoDefinido1, !m.xAxisFailed);
    QCOMPARE(c.engine.calibration().CantoDefinido2, !m.yAxisFailed);
    // A failure leaves the readout as the captions still show it.
    QCOMPARE(c.engine.readout(), shown ? ReadoutState::Value : ReadoutState::NeverShown);
}

void tst_ReadingEngine::refusals()
{
    Calibrated c;
    QCOMPARE(c.engine.record(50, 30).refusal, Refusal::NoReadoutYet);
    c.engine.move({"-1", "8", "0", "4", true, false}, 50, 30, true, '.');
    QCOMPARE(c.engine.record(50, 30).refusal, Refusal::NoValue);
    c.engine.place(1, 90, 90); // all three on one diagonal
    c.engine.place(2, 50, 50);
    c.engine.move(Aligned, 50, 30, true, '.');
    QCOMPARE(c.engine.record(50, 30).refusal, Refusal::Collinear);
    QCOMPARE(fileBytes(c.path), QByteArray());
    QCOMPARE(c.engine.count(), 0);
}

// One write and one sync for a whole group, each line as a click there
// would record it; undo takes the whole group and redo puts its bytes back.
void tst_ReadingEngine::groupIsOneStep()
{
    Calibrated c;
    int syncs = 0;
    StorageCalls calls = systemStorageCalls();
    calls.sync = [&syncs](int fd) {
        ++syncs;
        return ::fdatasync(fd);
    };
    c.engine.recordedPoints().file().setStorageCalls(calls);
    c.engine.move(Aligned, 50, 30, true, ',');
    QCOMPARE(c.engine.record(50, 30).count, 1);
    const StepOutcome group = c.engine.recordGroup(Aligned, {{90, 10}, {10, 90}, {30, 50}}, ',');
    QCOMPARE(group.kind, StepOutcome::Done);
    QCOMPARE(group.count, 4);
    QCOMPARE(syncs, 2);
    const QByteArray all("4,0000E+00\t1,0000E+00\r\n8,0000E+00\t0,0000E+00\r\n0,0000E+00\t4,0000E+00\r\n"
                         "2,0000E+00\t2,0000E+00\r\n");
    QCOMPARE(fileBytes(c.path), all);

    const StepOutcome undone = c.engine.undo();
    QCOMPARE(undone.points.size(), std::size_t(3));
    QCOMPARE(undone.count, 1);
    QCOMPARE(fileBytes(c.path), all.left(23));
    QCOMPARE(c.engine.redo().count, 4);
    QCOMPARE(fileBytes(c.path), all);

    // Without values the whole group is refused and nothing is written.
    QCOMPARE(c.engine.recordGroup({"-1", "8", "0", "4", true, false}, {{50, 30}, {5, 30}}, ',').kind,
             StepOutcome::Refused);
    QCOMPARE(fileBytes(c.path), all);
}

// Found marks go to the file by data X (ties by Y); a traced curve from its
// end with the smaller X, its path order kept.
void tst_ReadingEngine::groupOrders()
{
    Calibrated c;
    c.engine.recordGroup(Aligned, {{90, 10}, {30, 50}, {10, 90}, {30, 30}}, '.', GroupOrder::ByDataX);
    c.engine.recordGroup(Aligned, {{90, 10}, {50, 30}, {10, 90}}, '.', GroupOrder::FromSmallerXEnd);
    QCOMPARE(fileBytes(c.path), QByteArray("0.0000E+00\t4.0000E+00\r\n2.0000E+00\t1.0000E+00\r\n2.0000E+00\t2.0000E+00\r\n"
                                           "8.0000E+00\t0.0000E+00\r\n0.0000E+00\t4.0000E+00\r\n4.0000E+00\t1.0000E+00\r\n"
                                           "8.0000E+00\t0.0000E+00\r\n"));
    // What a step along a logarithmic X measures: the logarithm.
    const ReferenceInputs logX{"1", "1000", "0", "4", true, false};
    QCOMPARE(*c.engine.axisXAt(logX, 90, 10), 3.0);
    QVERIFY(!c.engine.axisXAt({"-1", "8", "0", "4", true, false}, 50, 30));
}

void tst_ReadingEngine::snappedClickOnARecordedMarkIsRefused()
{
    Calibrated c;
    c.engine.move(Aligned, 50, 30, true, '.');
    QCOMPARE(c.engine.record(50, 30, true).kind, StepOutcome::Done);
    // The same mark found again from elsewhere lands a hair away.
    QCOMPARE(c.engine.record(50.03f, 29.98f, true).refusal, Refusal::AlreadyRecorded);
    QCOMPARE(c.engine.record(50.03f, 29.98f, false).kind, StepOutcome::Done); // on purpose, unsnapped
    QCOMPARE(c.engine.record(50.1f, 30, true).kind, StepOutcome::Done);       // a pixel away: another mark
}

void tst_ReadingEngine::placementsUndoAndRedo()
{
    ReadingEngine engine;
    engine.place(0, 1, 2);
    engine.place(1, 3, 4);
    engine.place(1, 5, 6);
    QCOMPARE(engine.undoPlacement(), 1);
    QCOMPARE(engine.calibration().XCanto1, 3.0f);
    QVERIFY(engine.calibration().CantoDefinido1);
    QCOMPARE(engine.undoPlacement(), 1);
    QVERIFY(!engine.calibration().CantoDefinido1); // back to not placed
    QCOMPARE(engine.redoPlacement(), 1);
    QCOMPARE(engine.calibration().XCanto1, 3.0f);
    engine.place(2, 7, 8); // a new placement forgets what could be redone
    QVERIFY(!engine.canRedoPlacement());
    engine.resetCalibration();
    QVERIFY(!engine.canUndoPlacement());
}

void tst_ReadingEngine::firstPointStartsItsOwnLine()
{
    Calibrated c;
    {
        QFile file(c.path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("header without end of line");
    }
    QVERIFY(c.engine.startDataSet(c.path.toStdString()));
    c.engine.move(Aligned, 50, 30, true, '.');
    c.engine.record(50, 30);
    c.engine.record(50, 30);
    QCOMPARE(fileBytes(c.path), QByteArray("header without end of line\r\n4.0000E+00\t1.0000E+00\r\n"
                                           "4.0000E+00\t1.0000E+00\r\n"));
    // Undo never takes the separator it owed.
    c.engine.undo();
    c.engine.undo();
    QCOMPARE(fileBytes(c.path), QByteArray("header without end of line\r\n"));
}

void tst_ReadingEngine::exportHoldsTheDataSetAsItStands()
{
    Calibrated c;
    for (const float x : {20.f, 30.f, 40.f, 50.f, 60.f}) {
        c.engine.move(Aligned, x, 30, true, ',');
        QCOMPARE(c.engine.record(x, 30).kind, StepOutcome::Done);
    }
    QCOMPARE(c.engine.undo().kind, StepOutcome::Done);
    QCOMPARE(csvOfDataSet(c.engine.points()), std::string("x,y\n"
                                                          "1.0000E+00,1.0000E+00\n"
                                                          "2.0000E+00,1.0000E+00\n"
                                                          "3.0000E+00,1.0000E+00\n"
                                                          "4.0000E+00,1.0000E+00\n"));
    QVERIFY(fileBytes(c.path).startsWith("1,0000E+00\t1,0000E+00\r\n")); // the data file keeps its own format
}

void tst_ReadingEngine::exportReplacesWholeOrNotAtAll()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("set.csv"));
    QCOMPARE(replaceFileWhole(path.toStdString(), "old\n"), std::string());
    QCOMPARE(replaceFileWhole(path.toStdString(), "x,y\n1,2\n"), std::string());
    QCOMPARE(fileBytes(path), QByteArray("x,y\n1,2\n"));
    // Nothing left behind beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("set.csv")});
    QVERIFY(!replaceFileWhole(dir.filePath(QStringLiteral("missing/set.csv")).toStdString(), "x").empty());
    const SmallFileSystem small("size=4k");
    if (!small.mounted())
        QSKIP("cannot mount a small file system here");
    const std::string full = small.filePath(QStringLiteral("set.csv")).toStdString();
    QCOMPARE(replaceFileWhole(full, "x,y\n"), std::string());
    QVERIFY(!replaceFileWhole(full, std::string(64 * 1024, 'x')).empty()); // the disk fills up
    QCOMPARE(fileBytes(QString::fromStdString(full)), QByteArray("x,y\n"));
}

QTEST_APPLESS_MAIN(tst_ReadingEngine)
#include "tst_readingengine.moc"

// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The data file keeps whole lines only, says when a point did not reach it,
// and takes back only the lines this program wrote last.
#include "reading/datafile.h"
#include "reading/recordedpoints.h"

#include <QFile>
#include <QTemporaryDir>
#include "testfiles.h"

#include <QTest>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

using pontiva::DataFile;
using pontiva::RecordedPoint;
using pontiva::RecordedPoints;

class tst_DataFile : public QObject
{
    Q_OBJECT
private slots:
    void appendKeepsWhatTheFileHolds();
    void createEmptyReplaces();
    void nonRegularFilesAreRefusedWithoutBlocking();
    void deletedFileIsNoticed();
    void renamedOrReplacedFileIsRefused();
    void closedFileRefuses();
    void lineIsSyncedBeforeSuccess();
    void failedSyncTakesTheLineBack();
    void undoAndRedoEditTheFileEnd();
    void undoRefusesWhatItDidNotWrite();
    void undoNeverReachesAnEarlierDataSet();
    void failedShorteningKeepsTheLine();
};


static void appendByAnotherProgram(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::Append));
    f.write(bytes);
}

static RecordedPoint point(int i)
{
    return {QByteArray::number(i).append(".0000E+00\t").append(QByteArray::number(i)).append(".0000E+00\r\n").toStdString(),
            float(i), float(i), 0};
}

void tst_DataFile::appendKeepsWhatTheFileHolds()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("coords.txt"));
    DataFile file;
    QVERIFY(file.openForAppend(path.toStdString())); // created when missing
    QVERIFY(file.appendLine("1.0000E+00", "\t", "2.0000E+00"));
    file.close();
    QVERIFY(file.openForAppend(path.toStdString()));
    QVERIFY(file.appendLine("-3.0000E-01", "\t", "4,0000E+10"));
    QCOMPARE(fileBytes(path), QByteArray("1.0000E+00\t2.0000E+00\r\n-3.0000E-01\t4,0000E+10\r\n"));
}

void tst_DataFile::createEmptyReplaces()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("coords.txt"));
    appendByAnotherProgram(path, "old\r\n");
    DataFile file;
    QVERIFY(file.createEmpty(path.toStdString()));
    QCOMPARE(fileBytes(path), QByteArray());
    QVERIFY(file.appendLine("a", " ", "b"));
    QCOMPARE(fileBytes(path), QByteArray("a b\r\n"));
    QVERIFY(!file.createEmpty(dir.filePath(QStringLiteral("missing/x.txt")).toStdString()));
    QVERIFY(!file.isOpen());
}

// A FIFO would block a plain open for ever (no reader) or swallow the points
// (with one); a device is no place for data either.
void tst_DataFile::nonRegularFilesAreRefusedWithoutBlocking()
{
    QTemporaryDir dir;
    const QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral("fifo")));
    QCOMPARE(::mkfifo(fifo.constData(), 0644), 0);

    auto tryOpen = [&](bool empty) {
        return std::async(std::launch::async, [&fifo, empty] {
            DataFile file;
            return empty ? file.createEmpty(fifo.toStdString()) : file.openForAppend(fifo.toStdString());
        });
    };
    for (const bool empty : {false, true}) {
        auto opened = tryOpen(empty);
        if (opened.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            // Free the blocked open before failing, so the test ends.
            const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK);
            opened.wait();
            ::close(reader);
            QFAIL("opening a FIFO blocked");
        }
        QVERIFY(!opened.get());
    }
    // With a reader the open itself succeeds; the FIFO is still refused.
    const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK);
    QVERIFY(reader >= 0);
    auto opened = tryOpen(false);
    QVERIFY(opened.wait_for(std::chrono::seconds(5)) == std::future_status::ready);
    QVERIFY(!opened.get());
    ::close(reader);

    DataFile device;
    QVERIFY(!device.openForAppend("/dev/null"));
    QVERIFY(!device.isOpen());
}

void tst_DataFile::deletedFileIsNoticed()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("coords.txt"));
    DataFile file;
    QVERIFY(file.openForAppend(path.toStdString()));
    QVERIFY(file.appendLine("1", "\t", "2"));
    QVERIFY(QFile::remove(path));
    QVERIFY(!file.appendLine("3", "\t", "4")); // nobody could ever read it
}

// The window names the path; points must not go to a file it no longer names.
void tst_DataFile::renamedOrReplacedFileIsRefused()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("coords.txt"));
    const QString moved = dir.filePath(QStringLiteral("moved.txt"));
    DataFile file;
    QVERIFY(file.openForAppend(path.toStdString()));
    QVERIFY(file.appendLine("1", "\t", "2"));
    QVERIFY(QFile::rename(path, moved));
    QVERIFY(!file.appendLine("3", "\t", "4"));
    QCOMPARE(fileBytes(moved), QByteArray("1\t2\r\n"));

    appendByAnotherProgram(path, ""); // a new file under the old name
    QVERIFY(!file.appendLine("3", "\t", "4"));
    QCOMPARE(fileBytes(path), QByteArray());
    QCOMPARE(fileBytes(moved), QByteArray("1\t2\r\n"));
}

void tst_DataFile::closedFileRefuses()
{
    DataFile file;
    QVERIFY(!file.appendLine("1", "\t", "2"));
}

// The page cache survives a killed process, so only the order of events
// shows that a line is on storage before it counts: the sync step must see
// the whole line in the file, and success must come after it.
void tst_DataFile::lineIsSyncedBeforeSuccess()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("coords.txt"));
    DataFile file;
    QVERIFY(file.openForAppend(path.toStdString()));
    QByteArrayList seenAtSync;
    pontiva::StorageCalls calls = pontiva::systemStorageCalls();
    const auto realSync = calls.sync;
    calls.sync = [&](int fd) {
        seenAtSync << fileBytes(path);
        return realSync(fd);
    };
    file.setStorageCalls(calls);
    QVERIFY(file.appendLine("1.0000E+00", "\t", "2.0000E+00"));
    QCOMPARE(seenAtSync, QByteArrayList{"1.0000E+00\t2.0000E+00\r\n"});
}

void tst_DataFile::failedSyncTakesTheLineBack()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("coords.txt"));
    DataFile file;
    QVERIFY(file.openForAppend(path.toStdString()));
    QVERIFY(file.appendLine("1", "\t", "2"));
    pontiva::StorageCalls calls = pontiva::systemStorageCalls();
    calls.sync = [](int) {
        errno = EIO;
        return -1;
    };
    file.setStorageCalls(calls);
    QVERIFY(!file.appendLine("3", "\t", "4"));
    QCOMPARE(fileBytes(path), QByteArray("1\t2\r\n"));
}

void tst_DataFile::undoAndRedoEditTheFileEnd()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("coords.txt"));
    appendByAnotherProgram(path, "earlier run\r\n");
    RecordedPoints points;
    QVERIFY(points.startAfterExisting(path.toStdString()));
    QVERIFY(!points.canUndo());
    for (int i = 1; i <= 5; ++i)
        QVERIFY(points.record(point(i)));
    QCOMPARE(points.undo().outcome, RecordedPoints::Outcome::Done);
    const RecordedPoints::Step second = points.undo();
    QCOMPARE(second.outcome, RecordedPoints::Outcome::Done);
    QCOMPARE(second.points.at(0).x, 4.0f);
    QVERIFY(points.canRedo());
    const RecordedPoints::Step redone = points.redo();
    QCOMPARE(redone.outcome, RecordedPoints::Outcome::Done);
    QCOMPARE(redone.points.at(0).line, point(4).line);
    QCOMPARE(fileBytes(path), QByteArray("earlier run\r\n1.0000E+00\t1.0000E+00\r\n2.0000E+00\t2.0000E+00\r\n"
                                        "3.0000E+00\t3.0000E+00\r\n4.0000E+00\t4.0000E+00\r\n"));

    // A new recording drops what could be redone.
    QVERIFY(points.canRedo());
    QVERIFY(points.record(point(9)));
    QVERIFY(!points.canRedo());
    QCOMPARE(points.redo().outcome, RecordedPoints::Outcome::Nothing);

    // Back to the start of the data set, and no further.
    for (int i = 0; i < 5; ++i)
        QCOMPARE(points.undo().outcome, RecordedPoints::Outcome::Done);
    QCOMPARE(points.undo().outcome, RecordedPoints::Outcome::Nothing);
    QCOMPARE(fileBytes(path), QByteArray("earlier run\r\n"));
}

void tst_DataFile::undoRefusesWhatItDidNotWrite()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("coords.txt"));
    RecordedPoints points;
    QVERIFY(points.startAfterExisting(path.toStdString()));
    QVERIFY(points.record(point(1)));
    QVERIFY(points.record(point(2)));

    // Another program appended, even the very same bytes: not ours to cut.
    appendByAnotherProgram(path, QByteArray::fromStdString(point(2).line));
    const QByteArray appended = fileBytes(path);
    QCOMPARE(points.undo().outcome, RecordedPoints::Outcome::FileChanged);
    QCOMPARE(fileBytes(path), appended);
    QVERIFY(points.canUndo());

    // Replaced by a file of the same length under the same name.
    QVERIFY(QFile::remove(path));
    appendByAnotherProgram(path, QByteArray::fromStdString(point(1).line + point(2).line));
    QCOMPARE(points.undo().outcome, RecordedPoints::Outcome::FileChanged);
    QCOMPARE(fileBytes(path), QByteArray::fromStdString(point(1).line + point(2).line));

    // Deleted.
    QVERIFY(QFile::remove(path));
    QCOMPARE(points.undo().outcome, RecordedPoints::Outcome::FileChanged);
}

void tst_DataFile::undoNeverReachesAnEarlierDataSet()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("coords.txt"));
    RecordedPoints points;
    QVERIFY(points.startAfterExisting(path.toStdString()));
    QVERIFY(points.record(point(1)));
    QVERIFY(points.undo().outcome == RecordedPoints::Outcome::Done);
    QVERIFY(points.startAfterExisting(path.toStdString())); // a picture was loaded
    QVERIFY(!points.canRedo());
    QVERIFY(points.record(point(2)));
    QVERIFY(points.startAfterExisting(path.toStdString()));
    QCOMPARE(points.undo().outcome, RecordedPoints::Outcome::Nothing);
    QCOMPARE(fileBytes(path), QByteArray::fromStdString(point(2).line));
}

void tst_DataFile::failedShorteningKeepsTheLine()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("coords.txt"));
    RecordedPoints points;
    QVERIFY(points.startAfterExisting(path.toStdString()));
    QVERIFY(points.record(point(1)));
    QVERIFY(points.record(point(2)));
    const QByteArray before = fileBytes(path);

    // A file system that has turned read-only refuses the shortening.
    pontiva::StorageCalls calls = pontiva::systemStorageCalls();
    calls.truncate = [](int, off_t) {
        errno = EROFS;
        return -1;
    };
    points.file().setStorageCalls(calls);
    QCOMPARE(points.undo().outcome, RecordedPoints::Outcome::Failed);
    QCOMPARE(fileBytes(path), before);

    // Shortened but not synced: the line is put back, as the count says.
    calls = pontiva::systemStorageCalls();
    calls.sync = [](int) {
        errno = EIO;
        return -1;
    };
    points.file().setStorageCalls(calls);
    QCOMPARE(points.undo().outcome, RecordedPoints::Outcome::Failed);
    QCOMPARE(fileBytes(path), before);

    points.file().setStorageCalls(pontiva::systemStorageCalls());
    QCOMPARE(points.undo().outcome, RecordedPoints::Outcome::Done);
    QCOMPARE(fileBytes(path), QByteArray::fromStdString(point(1).line));
}

QTEST_APPLESS_MAIN(tst_DataFile)
#include "tst_datafile.moc"

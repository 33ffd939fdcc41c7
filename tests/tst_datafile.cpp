// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The data file keeps whole lines only, and says when a point did not reach it.
#include "reading/datafile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

using pontiva::DataFile;

class tst_DataFile : public QObject
{
    Q_OBJECT
private slots:
    void appendKeepsWhatTheFileHolds();
    void createEmptyReplaces();
    void fullDeviceFailsWithoutClaimingSuccess();
    void deletedFileIsNoticed();
    void closedFileRefuses();
};

static QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
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
    QCOMPARE(contents(path), QByteArray("1.0000E+00\t2.0000E+00\r\n-3.0000E-01\t4,0000E+10\r\n"));
}

void tst_DataFile::createEmptyReplaces()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("coords.txt"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old\r\n");
    old.close();
    DataFile file;
    QVERIFY(file.createEmpty(path.toStdString()));
    QCOMPARE(contents(path), QByteArray());
    QVERIFY(file.appendLine("a", " ", "b"));
    QCOMPARE(contents(path), QByteArray("a b\r\n"));
    QVERIFY(!file.createEmpty(dir.filePath(QStringLiteral("missing/x.txt")).toStdString()));
    QCOMPARE(file.lastError(), ENOENT);
    QVERIFY(!file.isOpen());
}

void tst_DataFile::fullDeviceFailsWithoutClaimingSuccess()
{
    DataFile file;
    if (!file.openForAppend("/dev/full"))
        QSKIP("no /dev/full");
    QVERIFY(!file.appendLine("1.0000E+00", "\t", "2.0000E+00"));
    QCOMPARE(file.lastError(), ENOSPC);
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

void tst_DataFile::closedFileRefuses()
{
    DataFile file;
    QVERIFY(!file.appendLine("1", "\t", "2"));
}

QTEST_APPLESS_MAIN(tst_DataFile)
#include "tst_datafile.moc"

// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A second start ends at once; a crashed first one does not block the next.
#include "app/singleinstance.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

class tst_SingleInstance : public QObject
{
    Q_OBJECT
private slots:
    void secondHolderIsRefused();
    void lockOfAKilledProcessIsFree();
    void secondProgramThatCannotTellSaysSo();
    void privateFolderIsNeverShared_data();
    void privateFolderIsNeverShared();
};

void tst_SingleInstance::secondHolderIsRefused()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lock"));
    {
        SingleInstance first(path);
        QVERIFY(first.isFirst());
        SingleInstance second(path);
        QVERIFY(!second.isFirst());
    }
    SingleInstance afterwards(path); // the file is left behind, but nobody holds it
    QVERIFY(afterwards.isFirst());
}

void tst_SingleInstance::lockOfAKilledProcessIsFree()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lock"));
    int ready[2];
    QVERIFY(::pipe(ready) == 0);
    const pid_t child = ::fork();
    if (child == 0) {
        SingleInstance holder(path);
        const char byte = holder.isFirst() ? 1 : 0;
        (void)!::write(ready[1], &byte, 1);
        ::pause();
        ::_exit(0);
    }
    char byte = 0;
    QCOMPARE(::read(ready[0], &byte, 1), ssize_t(1));
    QCOMPARE(byte, char(1));
    QVERIFY(!SingleInstance(path).isFirst());
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    QVERIFY(SingleInstance(path).isFirst());
}

// The lock is held but nobody listens: the second start waits a little for
// a window still starting, then says it could not hand its picture over.
void tst_SingleInstance::secondProgramThatCannotTellSaysSo()
{
    QTemporaryDir runtime;
    QTemporaryDir home;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    SingleInstance running(SingleInstance::defaultLockPathIn(runtime.path()));
    QVERIFY(running.isFirst());
    QProcess second;
    second.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    second.start(QStringLiteral(PONTIVA_EXECUTABLE), {QStringLiteral("chart.png")});
    QVERIFY(second.waitForFinished(15000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 1);
    QVERIFY(second.readAllStandardError().contains("could not be reached; not opened: "));
    QVERIFY(timer.elapsed() < 10000);
}

void tst_SingleInstance::privateFolderIsNeverShared_data()
{
    QTest::addColumn<int>("runtimeMode");
    QTest::addColumn<bool>("runtimeUsed");
    QTest::newRow("runtime folder of this user alone") << 0700 << true;
    QTest::newRow("runtime folder open to others") << 0777 << false;
    QTest::newRow("runtime folder others may read") << 0750 << false;
}

// Another local user who could create the lock or the socket first would
// silence every start, or receive the names of the pictures.
void tst_SingleInstance::privateFolderIsNeverShared()
{
    QFETCH(int, runtimeMode);
    QFETCH(bool, runtimeUsed);
    QTemporaryDir runtime, home;
    QVERIFY(::chmod(QFile::encodeName(runtime.path()).constData(), mode_t(runtimeMode)) == 0);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    qputenv("HOME", QFile::encodeName(home.path()));
    const QString folder = SingleInstance::privateFolder();
    QCOMPARE(folder == runtime.path(), runtimeUsed);
    QVERIFY(!folder.isEmpty());
    QVERIFY(!folder.startsWith(QStringLiteral("/tmp/pontiva")));
    struct stat st {};
    QVERIFY(::stat(QFile::encodeName(folder).constData(), &st) == 0);
    QCOMPARE(int(st.st_mode & 0777), 0700);
    // No runtime folder at all: still one of our own, under the home folder.
    qunsetenv("XDG_RUNTIME_DIR");
    QVERIFY(SingleInstance::privateFolder().startsWith(home.path()));
}

QTEST_GUILESS_MAIN(tst_SingleInstance)
#include "tst_singleinstance.moc"

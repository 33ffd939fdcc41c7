// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A second start ends at once; a crashed first one does not block the next.
#include "app/singleinstance.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

class tst_SingleInstance : public QObject
{
    Q_OBJECT
private slots:
    void secondHolderIsRefused();
    void lockOfAKilledProcessIsFree();
    void secondProgramEndsWithoutAWindow();
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

void tst_SingleInstance::secondProgramEndsWithoutAWindow()
{
    QTemporaryDir runtime;
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // The first program holds the lock, as a running Pontiva would.
    SingleInstance running(SingleInstance::defaultLockPathIn(runtime.path()));
    QVERIFY(running.isFirst());
    QProcess second;
    second.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    second.start(QStringLiteral(PONTIVA_EXECUTABLE), {});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(timer.elapsed() < 5000);
}

QTEST_GUILESS_MAIN(tst_SingleInstance)
#include "tst_singleinstance.moc"

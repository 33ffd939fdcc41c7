// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures from outside the open dialog: the command line, a second start,
// more formats, the clipboard.
#include "app/instancechannel.h"
#include "app/singleinstance.h"
#include "formfixture.h"
#include "hostilepictures.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QLabel>
#include <QMimeData>
#include <QProcess>

#include <fcntl.h>
#include <unistd.h>

class tst_OpenWith : public QObject
{
    Q_OBJECT
private slots:
    void helpAndVersionNeedNoDisplay_data();
    void helpAndVersionNeedNoDisplay();
    void secondStartHandsItsPictureOver_data();
    void secondStartHandsItsPictureOver();
    void secondStartWithoutPictureChangesNothing();
    void moreFormatsLoad_data();
    void moreFormatsLoad();
    void pasteLoadsAPictureOnly();
    void pasteTakesFilesAndEncodedPictures_data();
    void pasteTakesFilesAndEncodedPictures();

private:
    static QProcessEnvironment headless(const QString &runtime)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        return env;
    }
};

void tst_OpenWith::helpAndVersionNeedNoDisplay_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("expected");
    QTest::newRow("--help") << "--help" << "Usage:";
    QTest::newRow("-h") << "-h" << "[file]";
    QTest::newRow("--version") << "--version" << "Pontiva 1.0.0";
    QTest::newRow("--help names the language option") << "--help" << "--language <en|pt>";
}

// Over ssh or in a build log there is no display: these must still answer.
void tst_OpenWith::helpAndVersionNeedNoDisplay()
{
    QFETCH(QString, option);
    QFETCH(QString, expected);
    QTemporaryDir runtime;
    QProcess pontiva;
    pontiva.setProcessEnvironment(headless(runtime.path()));
    pontiva.start(QStringLiteral(PONTIVA_EXECUTABLE), {option});
    QVERIFY(pontiva.waitForFinished(10000));
    QCOMPARE(pontiva.exitStatus(), QProcess::NormalExit);
    QCOMPARE(pontiva.exitCode(), 0);
    const QString out = QString::fromUtf8(pontiva.readAllStandardOutput());
    QVERIFY2(out.contains(expected), qPrintable(out + QString::fromUtf8(pontiva.readAllStandardError())));
}

// The real program, started a second time with a picture, ends at once and
// this window (standing in for the running one) loads the picture.
void tst_OpenWith::secondStartHandsItsPictureOver_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("blank inside") << QByteArray("handed over.png");
    QTest::newRow("newline inside") << QByteArray("a\nb.png");
    QTest::newRow("trailing blank") << QByteArray("trailing .png");
    QTest::newRow("not valid UTF-8") << QByteArray("caf\xe9.png");
}

// Names go through byte for byte; the shell hands over what no QString can hold.
void tst_OpenWith::secondStartHandsItsPictureOver()
{
    QFETCH(QByteArray, name);
    FormFixture f;
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString lock = SingleInstance::defaultLockPathIn(runtime.path());
    const SingleInstance first(lock);
    QVERIFY(first.isFirst());
    InstanceChannel channel(InstanceChannel::socketPathFor(lock));
    connect(&channel, &InstanceChannel::secondStart, f.form.get(), &Form1::secondStart);

    QImage image(321, 123, QImage::Format_RGB32);
    image.fill(Qt::white);
    const QByteArray path = QFile::encodeName(f.home.path()) + '/' + name;
    {
        QFile file;
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0 && file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
        QVERIFY(image.save(&file, "PNG"));
    }
    // Another file where a trimmed or split name would lead.
    f.makePicture(QStringLiteral("a"), 10, 10, "PNG");
    QProcess second;
    second.setProcessEnvironment(headless(runtime.path()));
    second.setWorkingDirectory(f.home.path());
    // Relative to its folder, as a file manager gives it; printf makes the bytes.
    QByteArray escaped;
    for (const char c : name)
        escaped += "\\" + QByteArray::number(uchar(c), 8).rightJustified(3, '0');
    second.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exec \"$0\" \"$(printf '%1')\"").arg(QString::fromLatin1(escaped)),
                                             QStringLiteral(PONTIVA_EXECUTABLE)});
    QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 10000); // the window answers meanwhile
    QCOMPARE(second.exitCode(), 0);
    QTRY_COMPARE(f.picture()->picture().size(), QSize(321, 123));
    QVERIFY(f.get<QRadioButton>("Option_Calibracao")->isChecked());
    QVERIFY(f.dialogs.openRequests.isEmpty()); // no dialog was involved
    ::unlink(path.constData()); // a name QTemporaryDir cannot spell
}

void tst_OpenWith::secondStartWithoutPictureChangesNothing()
{
    FormFixture f;
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString lock = SingleInstance::defaultLockPathIn(runtime.path());
    const SingleInstance first(lock);
    InstanceChannel channel(InstanceChannel::socketPathFor(lock));
    int starts = 0;
    connect(&channel, &InstanceChannel::secondStart, this, [&starts](const QByteArray &picture) {
        QVERIFY(picture.isEmpty());
        ++starts;
    });
    QProcess second;
    second.setProcessEnvironment(headless(runtime.path()));
    second.start(QStringLiteral(PONTIVA_EXECUTABLE), {});
    QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 10000); // the window answers meanwhile
    QCOMPARE(second.exitCode(), 0);
    QTRY_COMPARE(starts, 1);
    QVERIFY(!f.form->ImagemCarregada);
}

void tst_OpenWith::moreFormatsLoad_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("PNG") << QByteArray("png");
    QTest::newRow("TIFF") << QByteArray("tiff");
    QTest::newRow("WebP") << QByteArray("webp");
}

// Exports are mostly PNG, scans TIFF; the image-format plugins that the
// install brings read TIFF and WebP.
void tst_OpenWith::moreFormatsLoad()
{
    QFETCH(QByteArray, format);
    FormFixture f;
    QImage chart(240, 160, QImage::Format_RGB32);
    chart.fill(QColor(10, 120, 200));
    const QString path = f.home.filePath(QStringLiteral("chart.") + QString::fromLatin1(format));
    QVERIFY2(chart.save(path, format.constData(), 100), "no writer for this format: scripts/deps.sh installs the plugins");
    f.load(path);
    QCOMPARE(f.picture()->picture().size(), QSize(240, 160));
    const QColor seen = f.picture()->picture().pixelColor(100, 80);
    QVERIFY2(std::abs(seen.blue() - 200) < 8 && std::abs(seen.red() - 10) < 8, qPrintable(seen.name()));
}

void tst_OpenWith::pasteLoadsAPictureOnly()
{
    FormFixture f;
    auto *paste = f.get<QAction>("ColarImagem");
    QGuiApplication::clipboard()->setText(QStringLiteral("not a picture"));
    paste->trigger();
    QVERIFY(!f.form->ImagemCarregada);
    QGuiApplication::clipboard()->clear();
    paste->trigger();
    QVERIFY(!f.form->ImagemCarregada);

    QImage copied(200, 100, QImage::Format_ARGB32);
    copied.fill(QColor(255, 0, 0));
    QGuiApplication::clipboard()->setImage(copied);
    paste->trigger();
    QVERIFY(f.form->ImagemCarregada);
    QCOMPARE(f.picture()->picture().size(), QSize(200, 100));
    QVERIFY(f.get<QRadioButton>("Option_Calibracao")->isChecked());

    // Text pasted now leaves the picture, its calibration and its marks alone.
    f.click(50, 50);
    const int marks = f.picture()->drawingCount();
    QGuiApplication::clipboard()->setText(QStringLiteral("12"));
    paste->trigger();
    QCOMPARE(f.picture()->drawingCount(), marks);
    QVERIFY(f.form->engine().calibration().CantoDefinido0);
}

// What file managers and other programs put on the clipboard.
void tst_OpenWith::pasteTakesFilesAndEncodedPictures_data()
{
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QByteArray>("content"); // "@name": the address of that file in the test's home
    QTest::addColumn<QSize>("opened");       // empty: nothing opens
    QTest::addColumn<QString>("says");       // part of the message line afterwards
    QTest::newRow("one copied picture file") << QByteArray("text/uri-list") << QByteArray("@chart.png\r\n")
                                             << QSize(120, 80) << QString();
    QTest::newRow("two copied files") << QByteArray("text/uri-list") << QByteArray("@chart.png\r\n@chart.png\r\n")
                                      << QSize() << QString();
    QTest::newRow("a copied text file") << QByteArray("text/uri-list") << QByteArray("@notes.txt") << QSize()
                                        << QString();
    QTest::newRow("PNG bytes") << QByteArray("image/png") << encoded(noisyPicture(90, 60), "PNG") << QSize(90, 60)
                               << QString();
    QTest::newRow("PNG of 30000 x 30000 zeros") << QByteArray("image/png") << zeroPng(30000, 30000) << QSize()
                                                << QStringLiteral("30000 × 30000");
}

void tst_OpenWith::pasteTakesFilesAndEncodedPictures()
{
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, content);
    QFETCH(QSize, opened);
    QFETCH(QString, says);
    FormFixture f;
    f.makePicture(QStringLiteral("chart.png"), 120, 80, "PNG");
    QFile notes(f.home.filePath(QStringLiteral("notes.txt")));
    QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("12 14\n") > 0);
    notes.close();
    if (content.startsWith('@'))
        content.replace('@', QUrl::fromLocalFile(f.home.path() + QLatin1Char('/')).toEncoded());
    auto *data = new QMimeData;
    data->setData(QString::fromLatin1(type), content);
    QGuiApplication::clipboard()->setMimeData(data);
    QElapsedTimer timer;
    timer.start();
    f.get<QAction>("ColarImagem")->trigger();
    QVERIFY2(timer.elapsed() < 1000, QByteArray::number(timer.elapsed()) + " ms");
    QCOMPARE(f.form->ImagemCarregada, opened.isValid());
    if (opened.isValid())
        QCOMPARE(f.picture()->picture().size(), opened);
    const QString message = f.get<QLabel>("Label_Mensagem")->text();
    QVERIFY2(message.contains(says), qPrintable(message));
}

QTEST_MAIN(tst_OpenWith)
#include "tst_openwith.moc"

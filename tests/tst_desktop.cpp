// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What a desktop user expects: dropping a picture on the window, standard keys.
#include "formfixture.h"

#include <QDragEnterEvent>
#include <QFile>
#include <QMimeData>
#include <QRadioButton>
#include <QUrl>

class tst_Desktop : public QObject
{
    Q_OBJECT
private slots:
    void dropLoadsAPicture_data();
    void dropLoadsAPicture();
    void undecodableDropChangesNothing();
    void otherDragsAreRefused_data();
    void otherDragsAreRefused();
    void quitKeyAsks();
    void openKeyOpensTheDialog();

private:
    // True when the window accepted the drag; then drops it.
    static bool dragAndDrop(FormFixture &f, QMimeData *data)
    {
        const QPoint at = f.form->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.form.get(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.form.get(), &drop);
        return true;
    }
    static QMimeData *files(const QStringList &paths)
    {
        auto *data = new QMimeData;
        QList<QUrl> urls;
        for (const QString &p : paths)
            urls << QUrl::fromLocalFile(p);
        data->setUrls(urls);
        return data;
    }
};

void tst_Desktop::dropLoadsAPicture_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("jpeg") << QByteArray("JPG");
    QTest::newRow("png") << QByteArray("PNG");
    QTest::newRow("bmp") << QByteArray("BMP");
}

void tst_Desktop::dropLoadsAPicture()
{
    QFETCH(QByteArray, format);
    FormFixture f;
    f.load(f.makePicture(QStringLiteral("first.bmp"), 300, 200));
    f.click(50, 50);
    f.get<QRadioButton>("Option_Canto1")->click();
    const QString path = f.makePicture(QStringLiteral("dropped.") + QString::fromLatin1(format).toLower(),
                                       123, 77, format.constData());
    std::unique_ptr<QMimeData> data(files({path}));
    QVERIFY(dragAndDrop(f, data.get()));
    QCOMPARE(f.picture()->size(), QSize(123, 77));
    // The same as a choice in the open dialog: calibration starts again.
    QVERIFY(!f.form->engine().calibration().CantoDefinido0);
    QVERIFY(f.get<QRadioButton>("Option_Canto0")->isChecked());
    QVERIFY(f.get<QRadioButton>("Option_Calibracao")->isChecked());
    QCOMPARE(f.picture()->drawingCount(), 0);
    QCOMPARE(f.dialogs.openRequests.size(), 1); // no dialog for the drop
}

void tst_Desktop::undecodableDropChangesNothing()
{
    FormFixture f;
    f.load(f.makePicture(QStringLiteral("first.bmp"), 300, 200));
    f.click(50, 50);
    // Starts like a JPEG, so it is accepted while dragged, but cannot be decoded.
    const QString path = f.home.filePath(QStringLiteral("broken.jpg"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01", 13));
    file.close();
    std::unique_ptr<QMimeData> data(files({path}));
    dragAndDrop(f, data.get());
    QCOMPARE(f.picture()->size(), QSize(300, 200));
    QVERIFY(f.form->engine().calibration().CantoDefinido0);
    QCOMPARE(f.picture()->drawingCount(), 1);
    QVERIFY(f.dialogs.messages.isEmpty());
}

void tst_Desktop::otherDragsAreRefused_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("text, not a file") << 0;
    QTest::newRow("a text file") << 1;
    QTest::newRow("two pictures at once") << 2;
    QTest::newRow("a remote address") << 3;
}

void tst_Desktop::otherDragsAreRefused()
{
    QFETCH(int, kind);
    FormFixture f;
    std::unique_ptr<QMimeData> data;
    if (kind == 0) {
        data = std::make_unique<QMimeData>();
        data->setText(QStringLiteral("4.0000E+00"));
    } else if (kind == 1) {
        const QString path = f.home.filePath(QStringLiteral("notes.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("x y\n");
        file.close();
        data.reset(files({path}));
    } else if (kind == 2) {
        data.reset(files({f.makePicture(QStringLiteral("a.bmp"), 10, 10), f.makePicture(QStringLiteral("b.bmp"), 10, 10)}));
    } else {
        data = std::make_unique<QMimeData>();
        data->setUrls({QUrl(QStringLiteral("https://example.org/chart.png"))});
    }
    QVERIFY(!dragAndDrop(f, data.get()));
    QVERIFY(!f.form->ImagemCarregada);
}

void tst_Desktop::quitKeyAsks()
{
    FormFixture f;
    f.dialogs.questionAnswers.push_back(false);
    QTest::keyClick(f.form.get(), Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(f.dialogs.questions.size(), 1);
    QCOMPARE(f.dialogs.questions.first().first, QStringLiteral("Do you wish to exit ?"));
    QVERIFY(f.form->isVisible());
    QCOMPARE(f.endCount, 0);
    QCOMPARE(f.get<QAction>("Sair")->text(), QStringLiteral("E&xit"));
}

void tst_Desktop::openKeyOpensTheDialog()
{
    FormFixture f;
    f.dialogs.pictureAnswers.push_back(f.makePicture(QStringLiteral("k.bmp"), 40, 30));
    QTest::keyClick(f.form.get(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(f.dialogs.openRequests.size(), 1);
    QVERIFY(f.form->ImagemCarregada);
    QCOMPARE(f.get<QAction>("Ler")->text(), QStringLiteral("&Load"));
}

QTEST_MAIN(tst_Desktop)
#include "tst_desktop.moc"

// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Opening pictures, scrolling them and the logical picture coordinates.
#include "formfixture.h"
#include "ui/qtuserdialogs.h"
#include "picture/picturedecoder.h"

#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>

class tst_Viewport : public QObject
{
    Q_OBJECT
private slots:
    void openDialogIsAskedForPicturesOnly();
    void loadSelectsCalibration();
    void cancelAndFailedLoadsChangeNothing_data();
    void cancelAndFailedLoadsChangeNothing();
    void scrollBars_data();
    void scrollBars();
    void cornersReadZeroAndHundred();
    void marksSurviveHideShowAndScroll();
    void optionSelectedFromCodeRunsItsHandlerOnce();
    void absurdHeaderIsRefused();
    void filterMatchesAnyLetterCase();
    void openDialogStartsWhereTheLastPictureWas();
    void nameFiltersShowTheirPatterns();
    void saveDialogRefusesAMissingFolder();
};

void tst_Viewport::openDialogIsAskedForPicturesOnly()
{
    FormFixture f;
    f.load(std::nullopt);
    QCOMPARE(f.dialogs.openRequests.size(), 1);
    const FileDialogRequest r = f.dialogs.openRequests.first();
    QCOMPARE(r.title, QStringLiteral("File name"));
    // The two classic entries first, the first chosen, then PDF pages, then every picture.
    QVERIFY2(r.filter.startsWith(QStringLiteral(
                 "Jpg Files (*.jpg)|*.jpg|Bmp Files (*.bmp)|*.bmp|PDF documents (*.pdf)|*.pdf|All pictures (")),
             qPrintable(r.filter));
    QCOMPARE(r.selectedFilter, 1);
    const QStringList shown = qtNameFilters(r.filter);
    QCOMPARE(shown.size(), 4);
    QCOMPARE(shown[0], QStringLiteral("Jpg Files (*.jpg)"));
    QCOMPARE(shown[1], QStringLiteral("Bmp Files (*.bmp)"));
    QCOMPARE(shown[2], QStringLiteral("PDF documents (*.pdf)"));
    for (const char *pattern : {"*.png", "*.jpg", "*.bmp", "*.tif", "*.webp"})
        QVERIFY2(shown[3].contains(QLatin1String(pattern)), pattern);
}

void tst_Viewport::loadSelectsCalibration()
{
    FormFixture f;
    auto *calibration = f.get<QRadioButton>("Option_Calibracao");
    QVERIFY(!calibration->isEnabled());
    QVERIFY(!f.picture()->isVisible());
    f.load(f.makePicture(QStringLiteral("chart.jpg"), 200, 100, "JPG"));
    QVERIFY(f.form->ImagemCarregada);
    QVERIFY(f.picture()->isVisible());
    QCOMPARE(f.picture()->size(), QSize(200, 100));
    QVERIFY(calibration->isEnabled() && calibration->isChecked());
    QVERIFY(f.get<QWidget>("Frame_Calibracao")->isVisible());
    QVERIFY(!f.get<QRadioButton>("Option_LeituraDados")->isEnabled());
}

void tst_Viewport::cancelAndFailedLoadsChangeNothing_data()
{
    QTest::addColumn<bool>("afterAPicture");
    QTest::addColumn<QByteArray>("content"); // rows named "cancel..." cancel the dialog
    QTest::addColumn<QString>("says");        // the message line afterwards; empty: unchanged
    QTest::newRow("cancel, first") << false << QByteArray() << QString();
    QTest::newRow("cancel, after a picture") << true << QByteArray() << QString();
    QTest::newRow("text file, first") << false << QByteArray("x,y\n1,2\n")
                                      << "“bad.jpg” is not a picture Pontiva can read.";
    QTest::newRow("text file, after a picture") << true << QByteArray("not a picture")
                                                << "“bad.jpg” is not a picture Pontiva can read.";
    QTest::newRow("empty file") << true << QByteArray("") << "“bad.jpg” is not a picture Pontiva can read.";
    QTest::newRow("truncated jpeg") << true << QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11)
                                    << "“bad.jpg” is cut short: its data ends before the picture does.";
}

void tst_Viewport::cancelAndFailedLoadsChangeNothing()
{
    QFETCH(bool, afterAPicture);
    QFETCH(QByteArray, content);
    QFETCH(QString, says);
    FormFixture f;
    if (afterAPicture) {
        f.load(f.makePicture(QStringLiteral("first.bmp"), 300, 200));
        f.click(50, 50); // point 0 placed and marked
    }
    const bool loaded = f.form->ImagemCarregada;
    const QSize size = f.picture()->size();
    const int marks = f.picture()->drawingCount();
    const QString message = f.get<QLabel>("Label_Mensagem")->text();

    std::optional<QString> answer; // cancel
    if (!QString::fromLatin1(QTest::currentDataTag()).startsWith(QLatin1String("cancel"))) {
        const QString path = f.home.filePath(QStringLiteral("bad.jpg"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        answer = path;
    }
    f.load(answer);
    QCOMPARE(f.form->ImagemCarregada, loaded);
    QCOMPARE(f.picture()->size(), size);
    QCOMPARE(f.picture()->drawingCount(), marks);
    QCOMPARE(f.form->engine().calibration().CantoDefinido0, afterAPicture);
    QCOMPARE(f.get<QRadioButton>("Option_Calibracao")->isEnabled(), afterAPicture);
    // A failure says why on the message line, never in a box.
    QCOMPARE(f.get<QLabel>("Label_Mensagem")->text(), says.isEmpty() ? message : says);
    QVERIFY(f.dialogs.messages.isEmpty());
}

void tst_Viewport::scrollBars_data()
{
    QTest::addColumn<int>("extraWidth");
    QTest::addColumn<int>("extraHeight");
    QTest::newRow("smaller both ways") << -100 << -50;
    QTest::newRow("exactly as wide") << 0 << -10;
    QTest::newRow("300 pixels wider") << 300 << -10;
    QTest::newRow("taller only") << -20 << 150;
    QTest::newRow("larger both ways") << 1000 << 700;
}

void tst_Viewport::scrollBars()
{
    QFETCH(int, extraWidth);
    QFETCH(int, extraHeight);
    FormFixture f;
    const QSize view = f.viewport()->size();
    f.load(f.makePicture(QStringLiteral("p.bmp"), view.width() + extraWidth, view.height() + extraHeight));
    auto *h = f.get<QScrollBar>("HScroll1");
    auto *v = f.get<QScrollBar>("VScroll1");
    QCOMPARE(h->isVisible(), extraWidth > 0);
    QCOMPARE(v->isVisible(), extraHeight > 0);
    QCOMPARE(f.picture()->pos(), QPoint(0, 0));
    if (extraWidth > 0) {
        QCOMPARE(h->minimum(), 0);
        QCOMPARE(h->maximum(), extraWidth);
        h->setValue(extraWidth);
        QCOMPARE(f.picture()->x(), -extraWidth);
        h->setValue(extraWidth / 2);
        QCOMPARE(f.picture()->x(), -(extraWidth / 2));
    }
    if (extraHeight > 0) {
        QCOMPARE(v->maximum(), extraHeight);
        v->setValue(extraHeight);
        QCOMPARE(f.picture()->y(), -extraHeight);
    }
    // A smaller picture next: the bars keep within the new range and the
    // picture goes back to the top-left corner.
    f.load(f.makePicture(QStringLiteral("small.bmp"), 50, 40));
    QCOMPARE(f.picture()->pos(), QPoint(0, 0));
    QVERIFY(!h->isVisible() && !v->isVisible());
}

void tst_Viewport::cornersReadZeroAndHundred()
{
    FormFixture f;
    const QSize view = f.viewport()->size();
    f.load(f.makePicture(QStringLiteral("big.bmp"), view.width() + 400, view.height() + 300));
    QList<QPointF> seen;
    QObject::connect(f.picture(), &PicturePanel::mouseMoved, f.picture(),
                     [&](Qt::MouseButtons, Qt::KeyboardModifiers, float x, float y) { seen << QPointF(x, y); });
    const QSize size = f.picture()->size();
    auto *h = f.get<QScrollBar>("HScroll1");
    auto *v = f.get<QScrollBar>("VScroll1");
    // Through the window, so each corner must be scrolled into view first.
    auto readAt = [&](QPoint pixel) {
        seen.clear();
        QTest::mouseMove(f.form->windowHandle(), f.picture()->mapTo(f.form.get(), pixel));
        QCOMPARE(seen.size(), 1);
    };
    v->setValue(v->maximum());
    readAt(QPoint(0, size.height() - 1));
    QVERIFY(qAbs(seen[0].x()) < 0.5 && qAbs(seen[0].y()) < 0.5);
    v->setValue(0);
    h->setValue(h->maximum());
    readAt(QPoint(size.width() - 1, 0));
    QVERIFY(qAbs(seen[0].x() - 100) < 0.5 && qAbs(seen[0].y() - 100) < 0.5);
    // The same picture pixel reads the same at two scroll positions.
    const QPoint middle(size.width() / 2, size.height() / 4);
    readAt(middle);
    const QPointF first = seen[0];
    h->setValue(h->maximum() / 2);
    v->setValue(10);
    readAt(middle);
    QCOMPARE(seen[0], first);
    QVERIFY(qAbs(first.x() - 50) < 0.2 && qAbs(first.y() - 75) < 0.2);
}

void tst_Viewport::marksSurviveHideShowAndScroll()
{
    FormFixture f;
    const QSize view = f.viewport()->size();
    f.load(f.makePicture(QStringLiteral("big.bmp"), view.width() + 400, view.height() + 300));
    const QPoint pixel = f.pixelAt(60, 40);
    f.click(60, 40); // a red dot for point 0
    auto colourAt = [&](QPoint p) { return f.picture()->grab(QRect(p, QSize(1, 1))).toImage().pixelColor(0, 0); };
    QCOMPARE(colourAt(pixel), QColor(255, 0, 0));
    f.get<QScrollBar>("HScroll1")->setValue(200);
    f.get<QScrollBar>("VScroll1")->setValue(100);
    QCOMPARE(colourAt(pixel), QColor(255, 0, 0));
    f.picture()->hide();
    f.picture()->show();
    QCOMPARE(colourAt(pixel), QColor(255, 0, 0));
    QCOMPARE(colourAt(pixel + QPoint(10, 0)), QColor(Qt::white));
    // On screen, where the viewport now shows it.
    const QImage shown = f.viewport()->grab().toImage();
    const QPoint onScreen = (pixel - QPoint(200, 100)) * shown.devicePixelRatio();
    QCOMPARE(shown.pixelColor(onScreen), QColor(255, 0, 0));
}

void tst_Viewport::optionSelectedFromCodeRunsItsHandlerOnce()
{
    FormFixture f;
    f.load(f.makePicture(QStringLiteral("p.bmp"), 100, 100));
    auto *point1 = f.get<QRadioButton>("Option_Canto1");
    auto *x1 = f.get<QLineEdit>("Text_X1");
    point1->setChecked(true); // from code: its handler runs at once
    QVERIFY(x1->isEnabled());
    QVERIFY(!f.get<QLineEdit>("Text_X0")->isEnabled());
    x1->setEnabled(false);
    point1->setChecked(true); // already selected: nothing runs
    QVERIFY(!x1->isEnabled());
}

void tst_Viewport::absurdHeaderIsRefused()
{
    QTemporaryDir dir;
    // A BMP header that claims 60000 x 60000 pixels (13 GiB decoded) on a few bytes.
    QByteArray bmp(54, '\0');
    auto put32 = [&](int at, quint32 v) {
        for (int i = 0; i < 4; ++i)
            bmp[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, 54);
    put32(10, 54);
    put32(14, 40);
    put32(18, 60000);
    put32(22, 60000);
    bmp[26] = 1;
    bmp[28] = 24;
    const QString path = dir.filePath(QStringLiteral("bomb.bmp"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bmp);
    file.close();
    QVERIFY(!loadPicture(path, std::int64_t(1) << 30));
    QVERIFY(!loadPicture(path));

    // Under the budget, a picture above Qt's own 128 MB default still loads.
    QImage large(6000, 6000, QImage::Format_RGB32); // 137 MiB decoded
    large.fill(Qt::white);
    const QString largePath = dir.filePath(QStringLiteral("large.bmp"));
    QVERIFY(large.save(largePath));
    large = QImage();
    QVERIFY(loadPicture(largePath, std::int64_t(1) << 30));
    QVERIFY(!loadPicture(largePath, std::int64_t(100) << 20));
}

void tst_Viewport::filterMatchesAnyLetterCase()
{
    QTemporaryDir dir;
    for (const char *name : {"lower.jpg", "UPPER.JPG", "Mixed.Jpg", "other.bmp"})
        QFile(dir.filePath(QLatin1String(name))).open(QIODevice::WriteOnly);
    QtUserDialogs dialogs;
    auto dialog = dialogs.makeOpenDialog({QStringLiteral("File name"),
                                          QStringLiteral("Jpg Files (*.jpg)|*.jpg|Bmp Files (*.bmp)|*.bmp"), 1, {}, {}});
    QCOMPARE(dialog->selectedNameFilter(), QStringLiteral("Jpg Files (*.jpg)"));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("File name"));
    QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
    dialog->setDirectory(dir.path());
    auto *model = dialog->findChild<QFileSystemModel *>();
    QVERIFY(model);
    const QModelIndex root = model->index(dir.path());
    // The bitmap is filtered out; every spelling of .jpg stays.
    QTRY_COMPARE(model->rowCount(root), 3);
    QStringList shown;
    for (int row = 0; row < model->rowCount(root); ++row)
        shown << model->index(row, 0, root).data().toString();
    shown.sort();
    QCOMPARE(shown, (QStringList{"Mixed.Jpg", "UPPER.JPG", "lower.jpg"}));
}

// The open dialog starts in the last picture's folder, else at home.
void tst_Viewport::openDialogStartsWhereTheLastPictureWas()
{
    FormFixture f;
    f.load(f.makePicture(QStringLiteral("first.bmp"), 20, 20));
    QCOMPARE(f.dialogs.openRequests.last().folder, QString()); // nothing opened before it
    QDir(f.home.path()).mkpath(QStringLiteral("scans"));
    const QString second = f.makePicture(QStringLiteral("scans/second.bmp"), 20, 20);
    f.form->openPictureFile(second); // a drop, the command line, a hand-over alike
    f.load(std::nullopt);
    QCOMPARE(f.dialogs.openRequests.last().folder, f.home.filePath(QStringLiteral("scans")));

    QtUserDialogs dialogs;
    QCOMPARE(dialogs.makeOpenDialog({QString(), QStringLiteral("All|*.*"), 1, f.home.path(), {}})->directory().absolutePath(),
             f.home.path());
    QCOMPARE(dialogs.makeOpenDialog({QString(), QStringLiteral("All|*.*"), 1, {}, {}})->directory().absolutePath(),
             QDir::homePath());
}

void tst_Viewport::nameFiltersShowTheirPatterns()
{
    QCOMPARE(qtNameFilters(QStringLiteral("All files|*.*|Text Files (*.txt)|*.txt")),
             (QStringList{"All files (*)", "Text Files (*.txt)"}));
    QtUserDialogs dialogs;
    auto save = dialogs.makeSaveDialog({QString(), QStringLiteral("All files|*.*|Text Files (*.txt)|*.txt"), 2, {}, {}});
    QCOMPARE(save->selectedNameFilter(), QStringLiteral("Text Files (*.txt)"));
    QCOMPARE(save->acceptMode(), QFileDialog::AcceptSave);
    QVERIFY(!save->testOption(QFileDialog::DontConfirmOverwrite));
}

// The data file is only ever chosen in a folder that exists: the dialog
// refuses any other and stays open, so the current file stays in use.
void tst_Viewport::saveDialogRefusesAMissingFolder()
{
    QTemporaryDir dir;
    Idioma = QStringLiteral("Ingles");
    QtUserDialogs dialogs;
    auto save = dialogs.makeSaveDialog({QString(), QStringLiteral("All files|*.*|Text Files (*.txt)|*.txt"), 2, {}, {}});
    save->setDirectory(dir.path());
    QStringList chosen;
    connect(save.get(), &QFileDialog::fileSelected, this, [&chosen](const QString &file) { chosen << file; });
    QString warning;
    QTimer::singleShot(0, this, [&warning] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box) {
            warning = box->text();
            box->accept();
        }
    });
    save->show();
    save->selectFile(dir.filePath(QStringLiteral("missing/data.txt")));
    QMetaObject::invokeMethod(save.get(), "accept");
    QVERIFY2(warning.startsWith(QStringLiteral("The folder does not exist")), qPrintable(warning));
    QVERIFY(chosen.isEmpty());
    QVERIFY(save->isVisible());
    QCOMPARE(save->result(), 0);

    save->selectFile(dir.filePath(QStringLiteral("data.txt")));
    QMetaObject::invokeMethod(save.get(), "accept");
    QCOMPARE(chosen, QStringList{dir.filePath(QStringLiteral("data.txt"))});
    QCOMPARE(save->result(), int(QDialog::Accepted));
}

QTEST_MAIN(tst_Viewport)
#include "tst_viewport.moc"

// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A long picture load shows progress and can be cancelled; a short one shows nothing.
#include "formfixture.h"

#include <QFile>
#include <QLabel>
#include <QThread>
#include <QTimer>

namespace {

// Reads a file a little at a time, slowly, like a picture on a network share.
class SlowFile : public QIODevice
{
public:
    explicit SlowFile(const QString &path)
        : File(path)
    {
        File.open(QIODevice::ReadOnly);
        open(QIODevice::ReadOnly);
    }
    qint64 size() const override { return File.size(); }
    bool seek(qint64 pos) override { return QIODevice::seek(pos) && File.seek(pos); }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        QThread::msleep(8);
        return File.read(data, std::min<qint64>(maxSize, 4096));
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QFile File;
};

} // namespace

class tst_PictureLoading : public QObject
{
    Q_OBJECT
private slots:
    void overQtsOwnLimitOpensFirstThing();
    void cancelLeavesEverythingAsItWas();
    void longLoadShowsProgressAndLoads();
    void shortLoadShowsNothing();

private:
    // A JPEG of grain, a few hundred kilobytes: seconds through SlowFile.
    static QString grainyJpeg(const FormFixture &f)
    {
        QImage image(700, 500, QImage::Format_RGB32);
        quint32 seed = 3;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                seed = seed * 1664525u + 1013904223u;
                image.setPixel(x, y, seed >> 8);
            }
        const QString path = f.home.filePath(QStringLiteral("slow.jpg"));
        image.save(path, "JPG", 95);
        return path;
    }
    static void readSlowly(FormFixture &f)
    {
        f.form->openPictureDevice = [](const QByteArray &path) { return std::make_unique<SlowFile>(QFile::decodeName(path)); };
    }
};

// Qt refuses pictures over 128 MB unless told otherwise; whether one opens
// must not depend on what this process opened before.
void tst_PictureLoading::overQtsOwnLimitOpensFirstThing()
{
    FormFixture f;
    // WebP is read into a picture its reader allocates, where Qt's limit applies.
    const QString path = f.makePicture(QStringLiteral("big.webp"), 6000, 6000, "WEBP");
    f.load(path);
    QTRY_VERIFY(f.form->ImagemCarregada);
    QCOMPARE(f.picture()->picture().size(), QSize(6000, 6000));
}

void tst_PictureLoading::cancelLeavesEverythingAsItWas()
{
    FormFixture f;
    f.calibrate();
    f.moveTo(50, 30);
    f.click(50, 30);
    const QImage picture = f.picture()->picture();
    const pontiva::CalibrationState calibration = f.form->engine().calibration();
    const int marks = f.picture()->drawingCount();
    const QString count = f.get<QLabel>("Label_PontosGravados")->text();
    const QByteArray data = f.dataFile();

    const QString slow = grainyJpeg(f);
    readSlowly(f);
    f.dialogs.cancelLoads = true;
    bool timerRan = false;
    QTimer::singleShot(100, [&timerRan] { timerRan = true; });
    f.load(slow);
    QCOMPARE(f.dialogs.progressShown, 1);
    QVERIFY(timerRan); // the event loop ran while the picture was decoding
    QCOMPARE(f.picture()->picture(), picture);
    QCOMPARE(f.picture()->drawingCount(), marks);
    QCOMPARE(f.form->engine().calibration().CantoDefinido2, calibration.CantoDefinido2);
    QCOMPARE(f.form->engine().calibration().XCanto1, calibration.XCanto1);
    QVERIFY(f.get<QRadioButton>("Option_LeituraDados")->isChecked());
    QCOMPARE(f.get<QLabel>("Label_PontosGravados")->text(), count);
    f.moveTo(90, 90);
    f.click(90, 90); // still recording into the same data set
    QCOMPARE(f.dataFile(), data + "8.0000E+00\t4.0000E+00\r\n");
    QVERIFY(f.dialogs.messages.isEmpty());
}

void tst_PictureLoading::longLoadShowsProgressAndLoads()
{
    FormFixture f;
    const QString slow = grainyJpeg(f);
    readSlowly(f);
    f.load(slow);
    QCOMPARE(f.dialogs.progressShown, 1);
    QCOMPARE(f.picture()->picture().size(), QSize(700, 500));
    QVERIFY(f.get<QRadioButton>("Option_Calibracao")->isChecked());
}

void tst_PictureLoading::shortLoadShowsNothing()
{
    FormFixture f;
    f.load(grainyJpeg(f));
    QCOMPARE(f.dialogs.progressShown, 0);
    QCOMPARE(f.picture()->picture().size(), QSize(700, 500));
}

QTEST_MAIN(tst_PictureLoading)
#include "tst_pictureloading.moc"

// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// PDF pages open as pictures: a vector chart at 300 dpi snaps to a fraction
// of a pixel, a second page is asked for, broken documents are refused.
#include "formfixture.h"
#include "snapping/crossingsnap.h"
#include "snapping/marksnap.h"

#include <QLabel>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>

namespace {

// 4 x 3 inches; axes crossing at (0.5, 2.5) inches, a filled disc at (2, 1).
QString writeChart(const QString &path, int pages = 1, QSizeF inches = QSizeF(4, 3))
{
    QPdfWriter pdf(path);
    pdf.setPageSize(QPageSize(inches, QPageSize::Inch));
    pdf.setPageMargins(QMarginsF());
    pdf.setResolution(1200); // painter units per inch
    QPainter p(&pdf);
    for (int page = 0; page < pages; ++page) {
        if (page > 0) {
            pdf.newPage();
            p.fillRect(QRectF(0, 0, 4800, 3600), Qt::black); // tells the second page apart
            continue;
        }
        p.setPen(QPen(Qt::black, 12)); // 0.01 inch: 3 pixels at 300 dpi
        p.drawLine(QPointF(480, 3000), QPointF(4500, 3000)); // past the crossing: a cross, not an L
        p.drawLine(QPointF(600, 300), QPointF(600, 3120));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawEllipse(QPointF(2400, 1200), 30, 30); // 0.05 inch across: 15 pixels
    }
    return path;
}

pontiva::PixelBuffer pixelsOf(const QImage &picture)
{
    return {picture.constBits(), picture.width(), picture.height(), picture.bytesPerLine(),
            pontiva::PixelBuffer::Layout::Xrgb32};
}

} // namespace

class tst_PdfPages : public QObject
{
    Q_OBJECT
private slots:
    void vectorChartSnapsWithinAFractionOfAPixel();
    void secondPageIsAskedFor();
    void brokenDocumentsAreRefused_data();
    void brokenDocumentsAreRefused();
    void aResolutionTooHighSaysWhatFits();
};

void tst_PdfPages::vectorChartSnapsWithinAFractionOfAPixel()
{
    FormFixture f;
    f.load(writeChart(f.home.filePath(QStringLiteral("chart.pdf"))));
    QVERIFY(f.form->ImagemCarregada);
    const QImage &picture = f.picture()->picture();
    QCOMPARE(picture.size(), QSize(1200, 900));
    QCOMPARE(f.dialogs.pdfPageCounts, QList<int>{1});
    const pontiva::PixelBuffer pixels = pixelsOf(picture);
    // Truth at 300 dpi, in continuous pixels: inches times 300.
    // The axes' ink where the document puts it: no stroke moved to whole pixels.
    auto inkCentre = [&picture](bool across, int at) {
        double ink = 0, moment = 0;
        for (int i = 140; i < 160; ++i) {
            const double v = 255 - qGray(across ? picture.pixel(i, at) : picture.pixel(at, 600 + i));
            ink += v;
            moment += v * (i + 0.5);
        }
        return moment / ink;
    };
    QCOMPARE(inkCentre(true, 500), 150.0);
    QCOMPARE(inkCentre(false, 400) + 600, 750.0);
    // The crossing of 3-pixel axes and a mark snap to a fraction of a pixel.
    const auto crossing = pontiva::snapToCrossing(pixels, {152, 748});
    QVERIFY(crossing);
    QVERIFY2(std::hypot(crossing->x - 150, crossing->y - 750) <= 0.3,
             qPrintable(QStringLiteral("%1, %2").arg(crossing->x).arg(crossing->y)));
    const auto mark = pontiva::snapToMark(pixels, {603, 297});
    QVERIFY(mark);
    QVERIFY2(std::hypot(mark->x - 600, mark->y - 300) <= 0.3, qPrintable(QStringLiteral("%1, %2").arg(mark->x).arg(mark->y)));
}

void tst_PdfPages::secondPageIsAskedFor()
{
    FormFixture f;
    f.dialogs.pdfAnswers.push_back(PdfPageChoice{1, 100});
    f.load(writeChart(f.home.filePath(QStringLiteral("two.pdf")), 2));
    QCOMPARE(f.dialogs.pdfPageCounts, QList<int>{2});
    QCOMPARE(f.picture()->picture().size(), QSize(400, 300));
    QCOMPARE(f.picture()->picture().pixelColor(200, 150), QColor(Qt::black));
    // Cancelled: nothing changes.
    f.dialogs.pdfAnswers.push_back(std::nullopt);
    f.load(f.home.filePath(QStringLiteral("two.pdf")));
    QCOMPARE(f.picture()->picture().size(), QSize(400, 300));
}

void tst_PdfPages::brokenDocumentsAreRefused_data()
{
    QTest::addColumn<QByteArray>("kind");
    QTest::addColumn<QString>("says");
    QTest::newRow("corrupt") << QByteArray("corrupt") << QStringLiteral("is damaged");
    QTest::newRow("encrypted") << QByteArray("encrypted") << QStringLiteral("protected by a password");
    QTest::newRow("no pages") << QByteArray("empty") << QStringLiteral("has no pages");
}

void tst_PdfPages::brokenDocumentsAreRefused()
{
    QFETCH(QByteArray, kind);
    QFETCH(QString, says);
    FormFixture f;
    const QString path = f.home.filePath(QStringLiteral("broken.pdf"));
    if (kind == "encrypted") {
        const QString plain = writeChart(f.home.filePath(QStringLiteral("plain.pdf")));
        const int status = QProcess::execute(QStringLiteral("qpdf"), {QStringLiteral("--encrypt"), QStringLiteral("user"),
                                                                       QStringLiteral("owner"), QStringLiteral("256"),
                                                                       QStringLiteral("--"), plain, path});
        QVERIFY2(status == 0, "qpdf is missing: scripts/deps.sh installs it");
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        if (kind == "corrupt")
            file.write("%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >>\nthis is not a PDF\n");
        else // a catalogue whose page tree holds nothing
            file.write("%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n"
                       "2 0 obj << /Type /Pages /Kids [] /Count 0 >> endobj\n"
                       "trailer << /Root 1 0 R >>\n%%EOF\n");
    }
    f.load(path);
    QVERIFY(!f.form->ImagemCarregada);
    const QString message = f.get<QLabel>("Label_Mensagem")->text();
    QVERIFY2(message.contains(QStringLiteral("broken.pdf")) && message.contains(says), qPrintable(message));
}

// 200 inches wide at 1200 dpi is 240000 pixels: refused, saying what would fit.
void tst_PdfPages::aResolutionTooHighSaysWhatFits()
{
    FormFixture f;
    f.dialogs.pdfAnswers.push_back(PdfPageChoice{0, 1200});
    f.load(writeChart(f.home.filePath(QStringLiteral("wide.pdf")), 1, QSizeF(200, 20)));
    QVERIFY(!f.form->ImagemCarregada);
    const QString message = f.get<QLabel>("Label_Mensagem")->text();
    QVERIFY2(message.contains(QStringLiteral("at 1200 dpi")) && message.contains(QStringLiteral("dpi fits")),
             qPrintable(message));
}

QTEST_MAIN(tst_PdfPages)
#include "tst_pdfpages.moc"

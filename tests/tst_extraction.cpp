// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Finding every mark like an example and tracing curves, on charts of known
// truth (drawn here, and real ones); the algorithms are plain C++.
#include "chartswithtruth.h"
#include "extraction/candidateset.h"
#include "extraction/curvetrace.h"
#include "extraction/inkcolour.h"
#include "extraction/similarmarks.h"
#include "extractioncharts.h"

#include <QFile>
#include <QFontMetrics>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QPainter>
#include <QTest>

#include <cmath>

using namespace pontiva;

namespace {

PixelPoint at(QPointF p) { return {p.x(), p.y()}; }

std::array<PixelPoint, 3> referencesOf(const SeriesChart &chart)
{
    return {at(chart.references[0]), at(chart.references[1]), at(chart.references[2])};
}

// Each truth mark found once within `bound`; anything else found may only
// be the legend's sample. Says what went wrong, or nothing.
QString compare(const std::vector<PixelPoint> &found, const std::vector<QPointF> &truth, QPointF legend, double size,
                double bound)
{
    std::vector<int> hits(truth.size());
    for (const PixelPoint f : found) {
        int nearest = -1;
        double best = 0.5 * size;
        for (std::size_t i = 0; i < truth.size(); ++i) {
            const double d = std::hypot(f.x - truth[i].x(), f.y - truth[i].y());
            if (d < best) {
                best = d;
                nearest = int(i);
            }
        }
        if (nearest < 0) {
            if (std::hypot(f.x - legend.x(), f.y - legend.y()) < 0.5 * size)
                continue;
            return QStringLiteral("extra at (%1, %2)").arg(f.x).arg(f.y);
        }
        if (best > bound)
            return QStringLiteral("mark %1 found %2 px off").arg(nearest).arg(best);
        ++hits[std::size_t(nearest)];
    }
    for (std::size_t i = 0; i < hits.size(); ++i)
        if (hits[i] != 1)
            return QStringLiteral("mark %1 at (%2, %3) found %4 times")
                .arg(i)
                .arg(truth[i].x())
                .arg(truth[i].y())
                .arg(hits[i]);
    return {};
}

// Each series of `chart` (marks `size` across) named in `only` (all where
// empty), searched from each of its marks listed in `from`: what went
// wrong, or nothing.
QStringList seriesFailures(const SeriesChart &chart, double size, const QStringList &only, double bound,
                           const QList<int> &from)
{
    const PixelBuffer pixels = pixelsOf(chart.picture);
    const PixelRect region = searchRegionOf(referencesOf(chart), pixels.width, pixels.height);
    QStringList failures;
    for (const SeriesChart::Series &s : chart.series) {
        const double markSize = s.name == QLatin1String("larger discs") ? 1.5 * size : size;
        if (markSize > 64 || (!only.isEmpty() && !only.contains(s.name)))
            continue; // beyond what snapping measures, or not looked at
        for (const int i : from) {
            const QPointF mark = s.marks[std::size_t(i)];
            const MarkSearch found = findSimilarMarks(pixels, {mark.x() + 1.2, mark.y() - 0.8}, region);
            const QString wrong = found.outcome != MarkSearch::Found
                                      ? QStringLiteral("no example")
                                      : compare(found.centres, s.marks, s.legend, markSize, bound);
            if (!wrong.isEmpty())
                failures << QStringLiteral("%1 from mark %2: %3").arg(s.name).arg(i).arg(wrong);
        }
    }
    return failures;
}

} // namespace

class TestExtraction : public QObject
{
    Q_OBJECT
private slots:
    void inkDeeperThanTheExample_data();
    void inkDeeperThanTheExample();
    void otherInkAcrossAMark_data();
    void otherInkAcrossAMark();
    void everyMarkOfASeries_data();
    void everyMarkOfASeries();
    void smallRingsFromEachOfThem_data();
    void smallRingsFromEachOfThem();
    void fromAMarkBesideOtherInk_data();
    void fromAMarkBesideOtherInk();
    void smallOverlappingMarksBothFound();
    void fromAnOverlappingDisc();
    void marksDrawnWithoutSmoothing_data();
    void marksDrawnWithoutSmoothing();
    void hollowMarksBesideGridLines_data();
    void hollowMarksBesideGridLines();
    void seriesInSevenInks_data();
    void seriesInSevenInks();
    void sameShapeInAnotherInk_data();
    void sameShapeInAnotherInk();
    void tinyMarksInAFrame_data();
    void tinyMarksInAFrame();
    void marksOnRealCharts();
    void nothingToFindFrom();
    void lettersAreNoExample_data();
    void lettersAreNoExample();
    void specksStopAtTheCap_data();
    void specksStopAtTheCap();
    void curvesStayOnThePicture();
    void curvesTracedOnTheirCentreLine_data();
    void curvesTracedOnTheirCentreLine();
    void pointsAlongAPath();
    void candidatesDroppedAndTakenBack();
};

void TestExtraction::inkDeeperThanTheExample_data()
{
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<float>("deepest"); // of the grey ink's steps from white paper
    QTest::addColumn<bool>("ink");
    QTest::addRow("black, the grey as deep as it goes") << QColor(Qt::black) << 1.0f << false;
    QTest::addRow("black, the grey as deep as black") << QColor(Qt::black) << 2.5f << true;
    QTest::addRow("purple, the grey as deep as black") << QColor(156, 48, 98) << 2.5f << false;
}

// A grey ink taken from a small mark's soft middle: black of its core is
// that ink only where the ink may go as deep; another hue never is.
void TestExtraction::inkDeeperThanTheExample()
{
    QFETCH(QColor, colour);
    QFETCH(float, deepest);
    QFETCH(bool, ink);
    const InkMatch match({255, 255, 255}, {150, 150, 150}, deepest);
    QCOMPARE(match({float(colour.red()), float(colour.green()), float(colour.blue())}) >= 0.99f, ink);
}

void TestExtraction::otherInkAcrossAMark_data()
{
    QTest::addColumn<QColor>("across");
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("bridged");
    QTest::addRow("a black line, 1 px") << QColor(Qt::black) << 1 << true;
    QTest::addRow("a black line, 2 px") << QColor(Qt::black) << 2 << true;
    QTest::addRow("a black bar, 3 px") << QColor(Qt::black) << 3 << false;
    QTest::addRow("a paper gap, 1 px") << QColor(Qt::white) << 1 << false;
}

// A purple mark with a stroke down its middle: a line of other ink one or
// two pixels wide counts as the mark's own ink (it would split the mark);
// a wider bar or paper does not.
void TestExtraction::otherInkAcrossAMark()
{
    QFETCH(QColor, across);
    QFETCH(int, width);
    QFETCH(bool, bridged);
    const QColor purple(156, 48, 98);
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 2; y < 8; ++y)
        for (int x = 4; x < 16; ++x)
            image.setPixelColor(x, y, x >= 9 && x < 9 + width ? across : purple);
    const PixelBuffer pixels = pixelsOf(image);
    const InkMatch match({255, 255, 255}, {float(purple.red()), float(purple.green()), float(purple.blue())});
    const MatchMap map = matchMap(pixels, {0, 0, 20, 10}, match);
    for (int x = 9; x < 9 + width; ++x)
        QCOMPARE(map(x, 4) >= 128, bridged);
    QCOMPARE(map(3, 4), 0); // paper beside the mark stays paper
}

void TestExtraction::everyMarkOfASeries_data()
{
    QTest::addColumn<double>("size");
    QTest::addColumn<int>("scanned"); // 0 clean, 1 JPEG and turned, 2 then blurred, grainy and JPEG again
    QTest::addColumn<bool>("alone");  // marks without a line, legend or error bars
    QTest::addColumn<double>("bound");
    QTest::addColumn<QStringList>("only"); // the series looked at; all where empty
    // At 5 px, marks on their series line: the hollow ones, the squares
    // (the first with its line on one side only) and the discs (one
    // touching another and the line, one larger all round than the
    // diamonds); triangles, which differ from diamonds only all round, and
    // from the frame's corner by most rays.
    const QStringList small{QStringLiteral("discs"), QStringLiteral("squares"), QStringLiteral("rings"),
                            QStringLiteral("open squares"), QStringLiteral("red discs")};
    QTest::addRow("5 px clean") << 5.0 << 0 << false << 0.15 << small;
    QTest::addRow("5 px clean, triangles") << 5.0 << 0 << false << 0.15 << QStringList{QStringLiteral("triangles")};
    QTest::addRow("5 px JPEG turned") << 5.0 << 1 << false << 0.3 << QStringList{QStringLiteral("triangles")};
    // Rings and open squares with holes about a pixel across differ by
    // their outer corners.
    QTest::addRow("5 px JPEG turned, rings") << 5.0 << 1 << false << 0.3 << QStringList{QStringLiteral("rings")};
    // A disc touching another and the line, which widen half its outline.
    QTest::addRow("5 px JPEG turned, discs") << 5.0 << 1 << false << 0.3 << QStringList{QStringLiteral("discs")};
    // Diamonds, beside triangles whose corners their line half hides.
    QTest::addRow("5 px JPEG turned, diamonds") << 5.0 << 1 << false << 0.3 << QStringList{QStringLiteral("diamonds")};
    QTest::addRow("5 px alone, hollow") << 5.0 << 0 << true << 0.2 << QStringList{QStringLiteral("open squares"), QStringLiteral("rings")};
    // One ring's hole worn wider on one side.
    QTest::addRow("5 px alone, JPEG turned, hollow") << 5.0 << 1 << true << 0.3 << QStringList{QStringLiteral("open squares"), QStringLiteral("rings")};
    // 4 and 5 px squares and discs differ by four corners all round.
    QTest::addRow("5 px alone, squares") << 5.0 << 0 << true << 0.15 << QStringList{QStringLiteral("squares")};
    QTest::addRow("4 px alone, JPEG turned, squares") << 4.0 << 1 << true << 0.3 << QStringList{QStringLiteral("squares")};
    // The core of a 4 px diamond is darker than the mean of its middle.
    QTest::addRow("4 px alone, diamonds") << 4.0 << 0 << true << 0.15 << QStringList{QStringLiteral("diamonds")};
    // 4 px triangles and diamonds, seen all round, differ by their corners.
    QTest::addRow("4 px alone, triangles") << 4.0 << 0 << true << 0.15 << QStringList{QStringLiteral("triangles")};
    QTest::addRow("4 px alone, JPEG turned, triangles and diamonds")
        << 4.0 << 1 << true << 0.3 << QStringList{QStringLiteral("triangles"), QStringLiteral("diamonds")};
    // 4 px rings and open squares: a hole of a pixel or two, through JPEG
    // only paler than their ink.
    const QStringList hollow{QStringLiteral("rings"), QStringLiteral("open squares")};
    QTest::addRow("4 px alone, hollow") << 4.0 << 0 << true << 0.15 << hollow;
    QTest::addRow("4 px alone, JPEG turned, hollow") << 4.0 << 1 << true << 0.3 << hollow;
    QTest::addRow("8 px clean") << 8.0 << 0 << false << 0.15 << QStringList();
    QTest::addRow("8 px JPEG turned") << 8.0 << 1 << false << 0.3 << QStringList();
    QTest::addRow("14 px clean") << 14.0 << 0 << false << 0.15 << QStringList();
    QTest::addRow("14 px JPEG turned") << 14.0 << 1 << false << 0.3 << QStringList();
    // (Where the series line fades on one side of a hollow example, the
    // others' lines still cross the band round them in both directions.)
    QTest::addRow("14 px scanned again") << 14.0 << 2 << false << 0.3 << QStringList();
    // Small rings and open squares alone differ by their corners only.
    QTest::addRow("8 px alone, clean") << 8.0 << 0 << true << 0.15 << QStringList();
    QTest::addRow("8 px alone, JPEG turned") << 8.0 << 1 << true << 0.3 << QStringList();
    QTest::addRow("24 px clean") << 24.0 << 0 << false << 0.15 << QStringList();
    QTest::addRow("24 px JPEG turned") << 24.0 << 1 << false << 0.3 << QStringList();
    QTest::addRow("40 px clean") << 40.0 << 0 << false << 0.15 << QStringList();
    QTest::addRow("40 px JPEG turned") << 40.0 << 1 << false << 0.3 << QStringList();
}

// From the first mark of each series: that series and nothing else.
void TestExtraction::everyMarkOfASeries()
{
    QFETCH(double, size);
    QFETCH(int, scanned);
    QFETCH(bool, alone);
    QFETCH(double, bound);
    QFETCH(QStringList, only);
    SeriesChart chart = alone ? markScatterChart(size, scanned > 0) : markSeriesChart(size, scanned > 0);
    if (scanned > 1)
        chart.picture = ::scanned(chart.picture, 7);
    const QStringList failures = seriesFailures(chart, size, only, bound, {1});
    if (!failures.isEmpty())
        QFAIL(qPrintable(failures.join(QStringLiteral("; "))));
}

void TestExtraction::smallRingsFromEachOfThem_data()
{
    QTest::addColumn<bool>("scanned");
    QTest::addColumn<QList<int>>("from");
    QTest::addRow("clean") << false << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    // (From the one where its line ends, a letter of the legend is still
    // taken.)
    QTest::addRow("JPEG turned") << true << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 9};
}

// 8 px rings on their series line, from each of them: the band round them
// where letters would cross lies round their own outline, not out along
// the line, and the line through them allows the rings found no more ink
// round them (from the first, 11 letters of the legend were taken; from
// others 1 to 8, or 3 of 10 rings were found).
void TestExtraction::smallRingsFromEachOfThem()
{
    QFETCH(bool, scanned);
    QFETCH(QList<int>, from);
    const SeriesChart chart = markSeriesChart(8, scanned);
    const QStringList failures = seriesFailures(chart, 8, {QStringLiteral("rings")}, scanned ? 0.3 : 0.15, from);
    if (!failures.isEmpty())
        QFAIL(qPrintable(failures.join(QStringLiteral("; "))));
}

void TestExtraction::fromAMarkBesideOtherInk_data()
{
    QTest::addColumn<double>("size");
    QTest::addColumn<bool>("scanned");
    QTest::addColumn<QString>("series");
    QTest::addColumn<QList<int>>("from");
    const QString discs = QStringLiteral("discs");
    // Discs 2 and 3 touch, 7 and 11 overlap by 0.4 of their size: the
    // example is the disc clicked, not the two. (At 4 and 8 the thin
    // series line dips under half its ink a few pixels out along a ray:
    // no corner of the disc. Through JPEG the arc of disc 3 or 11 that its
    // neighbour widens drew the fit towards that one, by up to a pixel.
    // At 14 px the line leaves disc 11 at a slant: a ray's stub, no corner.)
    QTest::addRow("8 px clean") << 8.0 << false << discs << QList<int>{2, 3, 4, 8};
    QTest::addRow("5 px JPEG turned") << 5.0 << true << discs << QList<int>{4, 8, 9};
    QTest::addRow("8 px JPEG turned") << 8.0 << true << discs << QList<int>{7};
    QTest::addRow("14 px clean") << 14.0 << false << discs << QList<int>{7, 11};
    QTest::addRow("14 px JPEG turned") << 14.0 << true << discs << QList<int>{7};
    QTest::addRow("24 px clean") << 24.0 << false << discs << QList<int>{7, 11};
    QTest::addRow("40 px clean") << 40.0 << false << discs << QList<int>{7, 11};
    QTest::addRow("24 px JPEG turned") << 24.0 << true << discs << QList<int>{7, 11};
    QTest::addRow("40 px JPEG turned") << 40.0 << true << discs << QList<int>{7, 11};
    // Hollow marks beside a grid crossing, their series line running on
    // to it.
    QTest::addRow("24 px clean, rings") << 24.0 << false << QStringLiteral("rings") << QList<int>{4, 5};
    QTest::addRow("14 px JPEG turned, open squares") << 14.0 << true << QStringLiteral("open squares") << QList<int>{6};
    QTest::addRow("24 px JPEG turned, open squares") << 24.0 << true << QStringLiteral("open squares") << QList<int>{7};
}

void TestExtraction::fromAMarkBesideOtherInk()
{
    QFETCH(double, size);
    QFETCH(bool, scanned);
    QFETCH(QString, series);
    QFETCH(QList<int>, from);
    const QStringList failures = seriesFailures(markSeriesChart(size, scanned), size, {series}, scanned ? 0.3 : 0.15, from);
    if (!failures.isEmpty())
        QFAIL(qPrintable(failures.join(QStringLiteral("; "))));
}

void TestExtraction::tinyMarksInAFrame_data()
{
    QTest::addColumn<Shape>("shape");
    QTest::addColumn<bool>("scanned");
    QTest::addColumn<double>("frame"); // its top left corner: how its corners fall on the pixels
    QTest::addColumn<double>("turned"); // degrees
    QTest::addRow("triangles") << Shape::Triangle << false << 10.5 << 0.0;
    QTest::addRow("diamonds, JPEG turned") << Shape::Diamond << true << 11.0 << 2.0;
    QTest::addRow("triangles, JPEG turned 3 deg") << Shape::Triangle << true << 10.25 << 3.0;
}

// Marks 4 px across (a triangle's darkest middle darker than the mean of
// its middle) inside a frame of their ink about as wide as they are: every
// one found, and no stretch or corner of the frame.
void TestExtraction::tinyMarksInAFrame()
{
    QFETCH(Shape, shape);
    QFETCH(bool, scanned);
    QFETCH(double, frame);
    QFETCH(double, turned);
    QImage image(260, 80, QImage::Format_RGB32);
    image.fill(QColor(252, 251, 248));
    std::vector<QPointF> truth;
    QTransform turn;
    turn.translate(130, 40).rotate(turned).translate(-130, -40);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setTransform(turn);
        p.setPen(QPen(QColor(20, 20, 20), 2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        p.drawRect(QRectF(frame, frame, 240, 60));
        for (int j = 0; j < 10; ++j)
            truth.push_back(turn.map(drawMark(p, shape, QPointF(27.3 + 22.1 * j, 30 + 13 * std::sin(j)), 4, QColor(25, 25, 30))));
    }
    if (scanned)
        image = throughJpeg(image, 75);
    const PixelBuffer pixels = pixelsOf(image);
    const MarkSearch found = findSimilarMarks(pixels, at(truth[3]), {0, 0, pixels.width, pixels.height});
    const QString wrong = compare(found.centres, truth, QPointF(-1000, -1000), 4, scanned ? 0.3 : 0.15);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

void TestExtraction::sameShapeInAnotherInk_data()
{
    QTest::addColumn<double>("size");
    QTest::addColumn<QColor>("pale");
    QTest::addRow("4 px, dark grey") << 4.0 << QColor(60, 60, 60);
    QTest::addRow("5 px, purple") << 5.0 << QColor(120, 20, 60);
    QTest::addRow("8 px, grey") << 8.0 << QColor(110, 110, 110);
    QTest::addRow("12 px, dark red") << 12.0 << QColor(150, 30, 30);
}

// Black discs beside discs of a paler ink (grey, or a dark colour whose
// rims JPEG takes towards grey), all through JPEG: from a black one only
// the black ones, from a pale one only the pale ones.
void TestExtraction::sameShapeInAnotherInk()
{
    QFETCH(double, size);
    QFETCH(QColor, pale);
    QImage image(300, 80, QImage::Format_RGB32);
    image.fill(QColor(252, 251, 248));
    std::vector<QPointF> black, paler;
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        for (int j = 0; j < 6; ++j) {
            black.push_back(drawMark(p, Shape::Disc, QPointF(20.3 + 45.1 * j, 25.6 + 0.3 * j), size, QColor(20, 20, 20)));
            paler.push_back(drawMark(p, Shape::Disc, QPointF(32.7 + 45.1 * j, 55.2 - 0.4 * j), size, pale));
        }
    }
    image = throughJpeg(image, 75);
    const PixelBuffer pixels = pixelsOf(image);
    for (const std::vector<QPointF> &kind : {black, paler}) {
        const MarkSearch found = findSimilarMarks(pixels, at(kind[2]), {0, 0, pixels.width, pixels.height});
        QCOMPARE(compare(found.centres, kind, {-100, -100}, size, 0.3), QString());
    }
}

void TestExtraction::seriesInSevenInks_data()
{
    QTest::addColumn<int>("shape");
    QTest::addColumn<double>("size");
    QTest::addColumn<bool>("scanned");
    QTest::addColumn<double>("pen"); // of a ring's outline, where not the usual
    QTest::addRow("8 px discs, JPEG") << int(Shape::Disc) << 8.0 << true << 0.0;
    QTest::addRow("8 px open squares, JPEG") << int(Shape::OpenSquare) << 8.0 << true << 0.0;
    QTest::addRow("8 px squares") << int(Shape::Square) << 8.0 << false << 0.0;
    QTest::addRow("14 px rings") << int(Shape::Ring) << 14.0 << false << 0.0;
    QTest::addRow("14 px rings, JPEG") << int(Shape::Ring) << 14.0 << true << 0.0;
    QTest::addRow("8 px rings, one-pixel pen") << int(Shape::Ring) << 8.0 << false << 1.0;
}

// One shape in seven inks, each on a line of its ink: from each series'
// second mark, that series exactly. (Through JPEG, which keeps colour only
// at every other pixel, rings took 106 marks of other inks and orange
// discs were placed 0.42 px off; from a black open square, whose hole JPEG
// tints, nothing was found; purple rings drawn with a one-pixel pen,
// their ink taken paler than their darkest pixels, were no example; orange
// squares where their pale line ends were placed 0.37 px along it.)
void TestExtraction::seriesInSevenInks()
{
    QFETCH(int, shape);
    QFETCH(double, size);
    QFETCH(bool, scanned);
    QFETCH(double, pen);
    const SeriesChart chart = inkSeriesChart(Shape(shape), size, scanned, pen);
    const PixelBuffer pixels = pixelsOf(chart.picture);
    QStringList failures;
    for (const SeriesChart::Series &s : chart.series) {
        const MarkSearch found = findSimilarMarks(pixels, at(s.marks[1] + QPointF(0.6, -0.5)), {0, 0, pixels.width, pixels.height});
        if (const QString wrong = compare(found.centres, s.marks, s.legend, size, scanned ? 0.3 : 0.15); !wrong.isEmpty())
            failures << s.name + QStringLiteral(": ") + wrong;
    }
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QStringLiteral("; "))));
}

void TestExtraction::marksDrawnWithoutSmoothing_data()
{
    QTest::addColumn<double>("side");
    QTest::addRow("9.6 px squares") << 9.6;
    QTest::addRow("12.8 px squares") << 12.8;
}

// Outlined squares drawn without smoothing at fractional positions: each
// falls on whole pixels, a pixel wider or taller than the next. From each
// one, every one, at the middle of its pixels. (From most, a search missed
// some.)
void TestExtraction::marksDrawnWithoutSmoothing()
{
    QFETCH(double, side);
    const QColor paper(222, 218, 222);
    QImage image(900, 100, QImage::Format_RGB32);
    image.fill(paper);
    std::vector<QPointF> centres;
    for (int i = 0; i < 12; ++i)
        centres.push_back({60 + 70 * i + 0.37 * (i % 3), 40 + 3.3 * i});
    {
        QPainter p(&image);
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(QColor(156, 48, 98));
        for (const QPointF c : centres)
            p.drawRect(QRectF(c - QPointF(side / 2, side / 2), QSizeF(side, side)));
    }
    for (QPointF &c : centres) { // where it fell: the middle of the pixels it took
        double sx = 0, sy = 0, n = 0;
        for (int y = int(c.y() - side); y <= int(c.y() + side); ++y)
            for (int x = int(c.x() - side); x <= int(c.x() + side); ++x)
                if (image.pixelColor(x, y) != paper)
                    sx += x + 0.5, sy += y + 0.5, ++n;
        c = {sx / n, sy / n};
    }
    const PixelBuffer pixels = pixelsOf(image);
    for (const QPointF from : centres) {
        const MarkSearch found = findSimilarMarks(pixels, at(from + QPointF(0.7, -0.6)), {0, 0, pixels.width, pixels.height});
        QCOMPARE(compare(found.centres, centres, {-100, -100}, side, 0.15), QString());
    }
}

// Two 5 px discs 3 px apart, among single ones: snapping takes the pair for
// one mark and settles between them; each must still be found, on its centre.
void TestExtraction::smallOverlappingMarksBothFound()
{
    QImage image(200, 60, QImage::Format_RGB32);
    image.fill(QColor(252, 251, 248));
    const std::vector<QPointF> discs{{30.3, 30.6}, {70.7, 29.4}, {110.2, 31.1}, {150.6, 30.2}, {152.4, 32.5}};
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(20, 20, 20));
        for (const QPointF c : discs)
            p.drawEllipse(c, 2.5, 2.5);
    }
    const PixelBuffer pixels = pixelsOf(image);
    const MarkSearch found = findSimilarMarks(pixels, {31, 30}, {0, 0, 200, 60});
    QCOMPARE(compare(found.centres, discs, {-100, -100}, 5, 0.2), QString());
}

// From a 5 px disc another overlaps, through JPEG, the example's centre
// is over a pixel off: each disc found is still placed on its own centre
// (all were 1.1 px off).
void TestExtraction::fromAnOverlappingDisc()
{
    const SeriesChart chart = markSeriesChart(5, true);
    const PixelBuffer pixels = pixelsOf(chart.picture);
    const std::vector<QPointF> &discs = chart.series.front().marks;
    const MarkSearch found = findSimilarMarks(pixels, {discs[2].x() + 1.2, discs[2].y() - 0.8},
                                              searchRegionOf(referencesOf(chart), pixels.width, pixels.height));
    QVERIFY(found.centres.size() >= 8);
    for (const PixelPoint f : found.centres)
        for (const QPointF d : discs)
            QVERIFY2(std::hypot(f.x - d.x(), f.y - d.y()) > 2.5 || std::hypot(f.x - d.x(), f.y - d.y()) <= 0.3,
                     qPrintable(QStringLiteral("(%1, %2)").arg(f.x).arg(f.y)));
}

void TestExtraction::hollowMarksBesideGridLines_data()
{
    QTest::addColumn<int>("shape");
    QTest::addColumn<double>("size");
    QTest::addColumn<bool>("scanned");
    QTest::addRow("8 px rings") << int(Shape::Ring) << 8.0 << false;
    QTest::addRow("8 px open squares, JPEG") << int(Shape::OpenSquare) << 8.0 << true;
    QTest::addRow("14 px rings, JPEG") << int(Shape::Ring) << 14.0 << true;
}

// Hollow marks a few pixels from a grid line of their ink, which passes
// them by or touches them, and four close together: found from one
// standing alone, one beside the line and one touching it. (A small open
// mark among other ink is taken for a letter among letters; such marks
// beside a grid line or each other were left out, and were no example.)
void TestExtraction::hollowMarksBesideGridLines()
{
    QFETCH(int, shape);
    QFETCH(double, size);
    QFETCH(bool, scanned);
    QImage image(380, 120, QImage::Format_RGB32);
    image.fill(QColor(222, 218, 222));
    std::vector<QPointF> truth;
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(QPointF(0, 60.5), QPointF(300, 60.5));
        const double gaps[] = {30, 2.5, 4, 5, 30, 4.5, 3, 0};
        for (int j = 0; j < 8; ++j)
            truth.push_back(drawMark(p, Shape(shape), QPointF(20.3 + 35.2 * j, 60.5 + (j % 2 ? 1 : -1) * (0.5 * size + gaps[j])), size, Qt::black));
        for (const QPointF at : {QPointF(0, 0), QPointF(1.3, 1), QPointF(0.2, 1.4), QPointF(1.1, 2.5)})
            truth.push_back(drawMark(p, Shape(shape), QPointF(310.2, 20.4) + (size + 3) * at, size, Qt::black));
    }
    if (scanned)
        image = throughJpeg(image, 75);
    const PixelBuffer pixels = pixelsOf(image);
    for (const int from : {0, 1, 7}) {
        const MarkSearch found = findSimilarMarks(pixels, at(truth[std::size_t(from)]), {0, 0, pixels.width, pixels.height});
        QCOMPARE(compare(found.centres, truth, {-100, -100}, size, scanned ? 0.3 : 0.15), QString());
    }
}

// From each listed mark of each kind: every listed mark of that kind. (The
// diamonds of one chart, drawn without smoothing 10 or 11 px wide, were
// found 4 to 10 of 12 from five of them; its triangle a pixel taller than
// the others, touching a grid line, and another chart's dot set on a word,
// taken for an i's dot, were no example.)
void TestExtraction::marksOnRealCharts()
{
    for (const char *name : {"g3data-test2", "engauge-pointplot", "starry-seebeck"}) {
        QFile file(QStringLiteral(PONTIVA_REAL_CHARTS "/%1.json").arg(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonObject truth = QJsonDocument::fromJson(file.readAll()).object();
        const QImage picture = QImage(QStringLiteral(PONTIVA_REAL_CHARTS "/") + truth.value(QLatin1String("file")).toString())
                                   .convertToFormat(QImage::Format_RGB32);
        const PixelBuffer pixels = pixelsOf(picture);
        auto pixel = [](const QJsonValue &v) {
            const QJsonObject p = v.toObject().value(QLatin1String("pixel")).toObject();
            return QPointF(p.value(QLatin1String("x")).toDouble(), p.value(QLatin1String("y")).toDouble());
        };
        const QJsonArray refs = truth.value(QLatin1String("reference_points")).toArray();
        const PixelRect region = searchRegionOf({at(pixel(refs[0])), at(pixel(refs[1])), at(pixel(refs[2]))}, pixels.width, pixels.height);
        QMap<QString, std::vector<QPointF>> kinds;
        for (const QJsonValue m : truth.value(QLatin1String("points")).toArray())
            kinds[m.toObject().value(QLatin1String("marker")).toString()].push_back(pixel(m));
        for (auto kind = kinds.cbegin(); kind != kinds.cend(); ++kind) {
            for (std::size_t from = 0; from < kind.value().size(); ++from) {
                const QPointF example = kind.value()[from];
                const MarkSearch found = findSimilarMarks(pixels, {example.x() + 1, example.y() - 1}, region);
                QVERIFY2(found.outcome == MarkSearch::Found, qPrintable(QStringLiteral("%1 from %2").arg(kind.key()).arg(from)));
                // Real charts hold marks the truth leaves out (covered, cut by
                // the frame, the legend): only the listed ones are checked, and
                // each must be found once, on its centre.
                int missed = 0;
                for (const QPointF t : kind.value()) {
                    int hits = 0;
                    for (const PixelPoint f : found.centres)
                        if (std::hypot(f.x - t.x(), f.y - t.y()) < 4) {
                            ++hits;
                            QVERIFY2(std::hypot(f.x - t.x(), f.y - t.y()) <= 0.15,
                                     qPrintable(QStringLiteral("%1 %2: (%3, %4) found at (%5, %6)").arg(QLatin1String(name), kind.key()).arg(t.x()).arg(t.y()).arg(f.x).arg(f.y)));
                        }
                    QVERIFY2(hits <= 1, qPrintable(QStringLiteral("%1 %2: (%3, %4) found %5 times").arg(QLatin1String(name), kind.key()).arg(t.x()).arg(t.y()).arg(hits)));
                    missed += hits == 0;
                }
                QVERIFY2(missed == 0, qPrintable(QStringLiteral("%1 %2 from %3: %4 of %5 missed")
                                                     .arg(QLatin1String(name), kind.key())
                                                     .arg(from)
                                                     .arg(missed)
                                                     .arg(kind.value().size())));
            }
        }
    }
}

// Blank paper, a solid block, noise and a 1 x 1 picture: no example, no curve.
void TestExtraction::nothingToFindFrom()
{
    QImage blank(200, 200, QImage::Format_RGB32);
    blank.fill(Qt::white);
    QImage solid = blank.copy();
    solid.fill(Qt::black);
    QImage noise = blank.copy();
    std::srand(7);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, std::rand() % 2 ? 0xFF000000 : 0xFFFFFFFF);
    QImage tiny = blank.copy(0, 0, 1, 1);
    for (const QImage *picture : {&blank, &solid, &noise, &tiny}) {
        const PixelBuffer pixels = pixelsOf(*picture);
        const PixelRect all{0, 0, pixels.width, pixels.height};
        QCOMPARE(findSimilarMarks(pixels, {100, 100}, all).outcome, MarkSearch::NoExample);
        QCOMPARE(traceCurve(pixels, {100, 100}).outcome, CurveTrace::NoCurve);
    }
}

// A click on a label's letters above their x-height (the dot of an i, the
// top of a t or an l) finds no example: the dot of an i once found every
// speck of every label. Nor does one in the bowl of an o, a p or a d,
// which once found the other letters like it (through JPEG, the o that
// begins a word found the e and the d), nor on any pixel of a label through
// JPEG (the dots of the i's found one another, a stroke of an m the strokes
// of every m, n and u).
void TestExtraction::lettersAreNoExample_data()
{
    QTest::addColumn<bool>("jpeg");
    QTest::addColumn<double>("turned"); // degrees
    QTest::addRow("clean") << false << 0.0;
    QTest::addRow("JPEG, turned 1 deg") << true << 1.0;
    QTest::addRow("JPEG, turned -3 deg") << true << -3.0;
    QTest::addRow("JPEG, turned -1 deg") << true << -1.0;
}

void TestExtraction::lettersAreNoExample()
{
    QFETCH(bool, jpeg);
    QFETCH(double, turned);
    QImage label(260, 60, QImage::Format_RGB32);
    label.fill(QColor(252, 251, 248));
    const int baseline = 30, second = baseline + 20;
    QFont legend;
    legend.setPixelSize(15);
    {
        QPainter p(&label);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QColor(20, 20, 20));
        p.rotate(turned);
        p.drawText(10, baseline, QStringLiteral("triangles minimum illicit"));
        p.setFont(legend);
        p.drawText(10, second, QStringLiteral("open squares, red dots"));
    }
    if (jpeg)
        label = throughJpeg(label, 75);
    const PixelBuffer pixels = pixelsOf(label);
    const int top = baseline - QFontMetrics(QFont()).xHeight() - 1, bowls = second - QFontMetrics(legend).xHeight();
    int clicks = 0;
    // (And every pixel of the second line's x-height: the bowls of its
    // letters too. Through JPEG every pixel: the strokes of the letters
    // there, with paper round them, are as small marks are.)
    for (int y = 0; y < (jpeg ? label.height() : second); ++y)
        for (int x = 0; x < label.width(); ++x)
            if (jpeg || y > bowls || (y < top && qGray(label.pixel(x, y)) < 128)) {
                ++clicks;
                QVERIFY2(findSimilarMarks(pixels, {x + 0.5, y + 0.5}, {0, 0, pixels.width, pixels.height}).centres.empty(),
                         qPrintable(QStringLiteral("a click at (%1, %2)").arg(x).arg(y)));
            }
    QVERIFY(clicks > 10);
}

// Ink on the outermost pixels fades half a pixel past the edge: a curve
// is traced up to the edge, never past it. Black stripes 4 px wide with
// dark grey between, slanting 1 px across for 2 down, clicked just off
// the picture's corner.
void TestExtraction::curvesStayOnThePicture()
{
    QImage stripes(22, 29, QImage::Format_RGB32);
    for (int y = 0; y < stripes.height(); ++y)
        for (int x = 0; x < stripes.width(); ++x)
            stripes.setPixel(x, y, QColor::fromHsv(0, 0, std::array{0, 0, 0, 0, 67, 38, 94}[(x + 2 * y) % 7]).rgb());
    const CurveTrace trace = traceCurve(pixelsOf(stripes), {27.26, 27.04});
    for (const PixelPoint p : trace.path)
        QVERIFY2(p.x >= 0 && p.y >= 0 && p.x <= 22 && p.y <= 29, qPrintable(QStringLiteral("(%1, %2)").arg(p.x).arg(p.y)));
}

// A picture full of specks like the example stops at the cap and says so.
void TestExtraction::specksStopAtTheCap_data()
{
    QTest::addColumn<bool>("rings"); // small rings close together, the example one on its own
    QTest::addRow("discs") << false;
    QTest::addRow("rings beside each other") << true;
}

void TestExtraction::specksStopAtTheCap()
{
    QFETCH(bool, rings);
    QImage specks(1210, 1210, QImage::Format_RGB32);
    specks.fill(Qt::white);
    {
        QPainter p(&specks);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        if (rings)
            drawMark(p, Shape::Ring, {10.3, 10.6}, 8, Qt::black);
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x)
                if (rings)
                    drawMark(p, Shape::Ring, QPointF(50.3 + 11 * x, 50.6 + 11 * y), 8, Qt::black);
                else
                    p.drawEllipse(QPointF(10.3 + 12 * x, 10.6 + 12 * y), 3, 3);
    }
    const PixelBuffer pixels = pixelsOf(specks);
    const MarkSearch found = findSimilarMarks(pixels, {11, 11}, {0, 0, pixels.width, pixels.height});
    QCOMPARE(found.outcome, MarkSearch::Capped);
    QCOMPARE(found.centres.size(), std::size_t(5000));
}

void TestExtraction::curvesTracedOnTheirCentreLine_data()
{
    QTest::addColumn<double>("width");
    QTest::addColumn<int>("scanned"); // as for the marks
    QTest::addColumn<double>("bound");
    QTest::addRow("1 px clean") << 1.0 << 0 << 0.3;
    QTest::addRow("2 px clean") << 2.0 << 0 << 0.3;
    QTest::addRow("3 px clean") << 3.0 << 0 << 0.3;
    QTest::addRow("1 px JPEG turned") << 1.0 << 1 << 0.3;
    QTest::addRow("2 px JPEG turned") << 2.0 << 1 << 0.3;
    QTest::addRow("3 px JPEG turned") << 3.0 << 1 << 0.3;
    // Clicked at the edge of a blurred dash, which is only twice as long
    // as it is wide.
    QTest::addRow("2 px scanned again") << 2.0 << 2 << 0.3;
}

// Clicked near each curve: its whole traced centre line on the curve's
// (through the other curve, the grid and, dashed, their gaps), and points
// every 10 px from one end to the other.
void TestExtraction::curvesTracedOnTheirCentreLine()
{
    QFETCH(double, width);
    QFETCH(int, scanned);
    QFETCH(double, bound);
    CurveChart chart = crossingCurvesChart(width, scanned > 0);
    if (scanned > 1)
        chart.picture = ::scanned(chart.picture, 7);
    const PixelBuffer pixels = pixelsOf(chart.picture);
    for (std::size_t c = 0; c < chart.curves.size(); ++c) {
        const std::vector<QPointF> &line = chart.curves[c];
        const QPointF click = line[line.size() / 3] + QPointF(0.7, 1.6);
        const CurveTrace trace = traceCurve(pixels, {click.x(), click.y()});
        QCOMPARE(trace.outcome, CurveTrace::Traced);
        const std::vector<PixelPoint> points = pointsEvery(trace.path, 10);
        double worst = 0;
        for (const PixelPoint p : trace.path)
            worst = std::max(worst, distanceTo(line, {p.x, p.y}));
        QVERIFY2(worst <= bound, qPrintable(QStringLiteral("curve %1: %2 px off").arg(c).arg(worst)));
        // Covered to within a step of both ends, whichever way it ran.
        auto gap = [&](QPointF end) {
            return std::min(std::hypot(points.front().x - end.x(), points.front().y - end.y()),
                            std::hypot(points.back().x - end.x(), points.back().y - end.y()));
        };
        QVERIFY2(gap(line.front()) <= 10 && gap(line.back()) <= 10,
                 qPrintable(QStringLiteral("curve %1: ends %2 and %3 px short").arg(c).arg(gap(line.front())).arg(gap(line.back()))));
    }
}

// Along a straight path of 25 px: by spacing, and where X passes multiples.
void TestExtraction::pointsAlongAPath()
{
    std::vector<PixelPoint> path;
    for (int i = 0; i <= 25; ++i)
        path.push_back({10.0 + i, 5});
    const std::vector<PixelPoint> spaced = pointsEvery(path, 10);
    QCOMPARE(spaced.size(), std::size_t(4)); // 10, 20, 30 and the end at 35
    QCOMPARE(spaced[1].x, 20.0);
    QCOMPARE(spaced.back().x, 35.0);
    const PathValue x = [](PixelPoint p) { return std::optional<double>(p.x / 4); }; // data X = x / 4
    const std::vector<PixelPoint> stepped = pointsAtSteps(path, x, 2); // X = 4, 6, 8: x = 16, 24, 32
    QCOMPARE(stepped.size(), std::size_t(3));
    QCOMPARE(stepped[0].x, 16.0);
    QCOMPARE(stepped[2].x, 32.0);
    const PathValue none = [](PixelPoint) { return std::optional<double>(); };
    QVERIFY(pointsAtSteps(path, none, 2).empty());
}

void TestExtraction::candidatesDroppedAndTakenBack()
{
    CandidateSet set;
    set.show(CandidateSet::Source::Marks, {{10, 10}, {30, 10}});
    QCOMPARE(set.toggleNear({11, 11}, 4), 0);
    QCOMPARE(set.kept().size(), std::size_t(1));
    QCOMPARE(set.toggleNear({20, 10}, 4), -1); // between the two: neither
    QCOMPARE(set.toggleNear({10, 9}, 4), 0);   // taken back
    QCOMPARE(set.keptCount(), std::size_t(2));
    QVERIFY(!set.add({31, 10}, 4));
    QVERIFY(set.add({50, 10}, 4));
    QCOMPARE(set.keptCount(), std::size_t(3));
}

QTEST_MAIN(TestExtraction)
#include "tst_extraction.moc"

// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Snapping on synthetic charts of exactly known geometry, drawn anti-aliased
// at sub-pixel positions, with and without JPEG compression.
#include "chartswithtruth.h"
#include "extractioncharts.h"
#include "snapping/crossingsnap.h"
#include "snapping/marksnap.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTest>

#include <cmath>
#include <random>

using pontiva::PixelBuffer;
using pontiva::PixelPoint;

namespace {

constexpr double Pi = 3.14159265358979323846;

QImage paper(int width = 64, int height = 64)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// Through JPEG at quality 75 and back, as scans and exports come.
QImage jpeg75(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 75);
    return QImage::fromData(bytes, "JPG").convertToFormat(QImage::Format_RGB32);
}

PixelBuffer view(const QImage &image)
{
    PixelBuffer p;
    p.data = image.constBits();
    p.width = image.width();
    p.height = image.height();
    p.stride = image.bytesPerLine();
    p.layout = image.format() == QImage::Format_Grayscale8        ? PixelBuffer::Layout::Grey8
        : image.format() == QImage::Format_ARGB32_Premultiplied ? PixelBuffer::Layout::Argb32Premultiplied
                                                                : PixelBuffer::Layout::Xrgb32;
    return p;
}

QPainter &antialiased(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing);
    return p;
}

// A one-pixel line through `through` at `degrees`, across the whole picture.
void line(QPainter &p, QPointF through, double degrees, double width = 1.0, QColor colour = Qt::black)
{
    const QPointF d(std::cos(degrees * Pi / 180) * 200, std::sin(degrees * Pi / 180) * 200);
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(through - d, through + d);
}

double off(std::optional<PixelPoint> found, QPointF truth)
{
    return found ? std::hypot(found->x - truth.x(), found->y - truth.y()) : 1e9;
}

QByteArray describe(std::optional<PixelPoint> found, QPointF truth)
{
    if (!found)
        return "nothing found";
    return QByteArray("found ") + QByteArray::number(found->x, 'f', 3) + ", " + QByteArray::number(found->y, 'f', 3)
        + " for " + QByteArray::number(truth.x(), 'f', 3) + ", " + QByteArray::number(truth.y(), 'f', 3)
        + ": off by " + QByteArray::number(off(found, truth), 'f', 3);
}

} // namespace

class tst_Snapping : public QObject
{
    Q_OBJECT
private slots:
    void markCentres_data();
    void markCentres();
    void lineCrossings_data();
    void lineCrossings();
    void lightGridOnABlackAxis_data();
    void lightGridOnABlackAxis();
    void cornersWithTicks_data();
    void cornersWithTicks();
    void nothingWhereNothingIs_data();
    void nothingWhereNothingIs();
    void nearestMarkWins();
    void smallMarksOnTheirLine_data();
    void smallMarksOnTheirLine();
    void lineThroughAnOpenMark_data();
    void lineThroughAnOpenMark();
    void thinRingsOnAThickerLine_data();
    void thinRingsOnAThickerLine();
    void touchingSmallMarksStayTwo_data();
    void touchingSmallMarksStayTwo();
    void greyBuffers_data();
    void greyBuffers();
    void realChartCorners_data();
    void realChartCorners();
    void realChartsFromEightDirections_data();
    void realChartsFromEightDirections();
    void scanLikeChartsFromEightDirections_data();
    void scanLikeChartsFromEightDirections();
    void largeMarksOnAGrainyScanFromTheirMiddle();
    void overlappingDiscsThroughJpeg_data();
    void overlappingDiscsThroughJpeg();
};

void tst_Snapping::markCentres_data()
{
    QTest::addColumn<QString>("shape");
    QTest::addColumn<QPointF>("centre");
    QTest::addColumn<double>("radius");
    QTest::addColumn<bool>("throughLine");
    QTest::addColumn<bool>("compressed");
    const QPointF centres[] = {{31.5, 30.5}, {30.3, 31.85}, {31.71, 29.42}};
    for (const QString &shape : {QStringLiteral("disc"), QStringLiteral("square")})
        for (const double radius : {3.0, 4.5})
            for (const QPointF c : centres)
                for (const bool withLine : {false, true})
                    for (const bool compressed : {false, true})
                        QTest::addRow("%s r%.1f at %.2f,%.2f%s%s", qPrintable(shape), radius, c.x(), c.y(),
                                      withLine ? ", curve through" : "", compressed ? ", JPEG 75" : "")
                            << shape << c << radius << withLine << compressed;
}

// The reading mode's snap: a click a few pixels off lands on the centre,
// within a tenth of a pixel, even with a curve passing through the mark.
void tst_Snapping::markCentres()
{
    QFETCH(QString, shape);
    QFETCH(QPointF, centre);
    QFETCH(double, radius);
    QFETCH(bool, throughLine);
    QFETCH(bool, compressed);
    QImage image = paper();
    {
        QPainter p(&image);
        antialiased(p);
        if (throughLine) {
            // A gently bending curve through the centre, as a plotted series.
            QPainterPath curve;
            curve.moveTo(centre + QPointF(-40, 18));
            curve.cubicTo(centre + QPointF(-15, 5), centre + QPointF(-8, 3.2), centre);
            curve.cubicTo(centre + QPointF(8, -3.2), centre + QPointF(15, -5), centre + QPointF(40, -18));
            p.setPen(QPen(QColor(40, 40, 40), 1.2));
            p.drawPath(curve);
        }
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 0, 0));
        if (shape == QLatin1String("disc"))
            p.drawEllipse(centre, radius, radius);
        else
            p.drawRect(QRectF(centre - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius)));
    }
    if (compressed)
        image = jpeg75(image);
    for (const QPointF click : {QPointF(2.0, 0.0), QPointF(-1.4, 1.6), QPointF(0.3, -2.2)}) {
        const QPointF at = centre + click;
        const auto found = pontiva::snapToMark(view(image), {at.x(), at.y()});
        QVERIFY2(off(found, centre) <= 0.1, describe(found, centre));
    }
}

void tst_Snapping::lineCrossings_data()
{
    QTest::addColumn<QPointF>("crossing");
    QTest::addColumn<double>("first");
    QTest::addColumn<double>("second");
    QTest::addColumn<bool>("compressed");
    for (const double rotation : {0.0, 7.0, 15.0, 22.5, 30.0})
        for (const double between : {90.0, 70.0}) // square, and sheared
            for (const bool compressed : {false, true}) {
                const QPointF crossing(31.37 + rotation / 50, 30.81 - rotation / 70);
                QTest::addRow("%.1f deg, %.0f deg apart%s", rotation, between, compressed ? ", JPEG 75" : "")
                    << crossing << rotation << rotation + between << compressed;
            }
}

// The calibration's snap: grid lines one pixel wide, rotated and sheared.
void tst_Snapping::lineCrossings()
{
    QFETCH(QPointF, crossing);
    QFETCH(double, first);
    QFETCH(double, second);
    QFETCH(bool, compressed);
    QImage image = paper();
    {
        QPainter p(&image);
        antialiased(p);
        line(p, crossing, first);
        line(p, crossing, second);
    }
    if (compressed)
        image = jpeg75(image);
    for (const QPointF click : {QPointF(3.0, 2.0), QPointF(-2.5, 0.5), QPointF(0.4, -4.0)}) {
        const QPointF at = crossing + click;
        const auto found = pontiva::snapToCrossing(view(image), {at.x(), at.y()});
        QVERIFY2(off(found, crossing) <= 0.15, describe(found, crossing));
    }
}

void tst_Snapping::lightGridOnABlackAxis_data()
{
    QTest::addColumn<double>("rotation");
    QTest::addColumn<bool>("compressed");
    for (const double rotation : {0.0, 9.0})
        for (const bool compressed : {false, true})
            QTest::addRow("turned %.0f deg%s", rotation, compressed ? ", JPEG 75" : "") << rotation << compressed;
}

// Exported charts draw the grid light grey and the axes black; the grid line
// where it meets the axis is what a user calibrates on.
void tst_Snapping::lightGridOnABlackAxis()
{
    QFETCH(double, rotation);
    QFETCH(bool, compressed);
    const QPointF crossing(30.3, 33.6);
    QImage image = paper();
    image.fill(QColor(250, 248, 240));
    {
        QPainter p(&image);
        antialiased(p);
        for (const double offset : {-12.0, 12.0}) // neighbouring grid lines, parallel
            line(p, crossing + QPointF(offset, 0), rotation + 90, 1.0, QColor(200, 200, 220));
        line(p, crossing, rotation + 90, 1.0, QColor(200, 200, 220));
        line(p, crossing, rotation, 1.2, Qt::black);
    }
    if (compressed)
        image = jpeg75(image);
    for (const QPointF click : {QPointF(1.5, -2.0), QPointF(-2.0, 1.0)}) {
        const QPointF at = crossing + click;
        const auto found = pontiva::snapToCrossing(view(image), {at.x(), at.y()});
        QVERIFY2(off(found, crossing) <= 0.15, describe(found, crossing));
    }
}

void tst_Snapping::cornersWithTicks_data()
{
    QTest::addColumn<double>("rotation");
    QTest::addColumn<bool>("compressed");
    for (const double rotation : {0.0, 4.0, 12.0})
        for (const bool compressed : {false, true})
            QTest::addRow("L turned %.0f deg%s", rotation, compressed ? ", JPEG 75" : "") << rotation << compressed;
}

// Where the axes meet: an L whose arms end at the corner, with short ticks.
void tst_Snapping::cornersWithTicks()
{
    QFETCH(double, rotation);
    QFETCH(bool, compressed);
    const QPointF corner(20.4, 43.7);
    const double a = rotation * Pi / 180;
    const QPointF along(std::cos(a), std::sin(a)), up(std::sin(a), -std::cos(a));
    QImage image = paper();
    {
        QPainter p(&image);
        antialiased(p);
        p.setPen(QPen(Qt::black, 1.0, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(corner, corner + 38 * along); // X axis
        p.drawLine(corner, corner + 38 * up);    // Y axis
        for (int t = 1; t <= 4; ++t) {
            const QPointF onX = corner + 9.0 * t * along, onY = corner + 9.0 * t * up;
            p.drawLine(onX, onX - 3.5 * up); // ticks below the X axis
            p.drawLine(onY, onY - 3.5 * along);
        }
    }
    if (compressed)
        image = jpeg75(image);
    for (const QPointF click : {QPointF(2.0, -2.0), QPointF(-1.0, 1.5), QPointF(3.5, 0.0)}) {
        const QPointF at = corner + click;
        const auto found = pontiva::snapToCrossing(view(image), {at.x(), at.y()});
        QVERIFY2(off(found, corner) <= 0.2, describe(found, corner));
    }
}

void tst_Snapping::nothingWhereNothingIs_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<QPointF>("at");
    QTest::addColumn<bool>("mayFind"); // something sensible is allowed, never a crash

    QTest::newRow("blank paper") << paper() << QPointF(30, 30) << false;
    QImage black = paper();
    black.fill(Qt::black);
    QTest::newRow("solid black block") << black << QPointF(30, 30) << false;
    QImage noise = paper();
    std::mt19937 random(5);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) {
            const int v = int(random() % 256);
            noise.setPixel(x, y, qRgb(v, v, v));
        }
    QTest::newRow("noise") << noise << QPointF(30, 30) << false;
    QImage one = paper(1, 1);
    one.setPixel(0, 0, qRgb(0, 0, 0));
    QTest::newRow("1 x 1 picture") << one << QPointF(0.5, 0.5) << false;
    QImage lines = paper();
    {
        QPainter p(&lines);
        line(p, QPointF(32, 32), 0);
    }
    QTest::newRow("a single line has no crossing and no mark") << lines << QPointF(33, 31) << false;
    QImage edge = paper();
    {
        QPainter p(&edge);
        antialiased(p);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawEllipse(QPointF(1.2, 62.5), 3, 3);
        line(p, QPointF(0.5, 0.5), 0);
        line(p, QPointF(0.5, 0.5), 90);
    }
    QTest::newRow("at the corner") << edge << QPointF(0, 0) << true;
    QTest::newRow("beyond the corner") << edge << QPointF(-5, -3) << true;
    QTest::newRow("beside a half-cut disc") << edge << QPointF(2, 62) << true;
    QTest::newRow("far outside") << edge << QPointF(1e12, -1e12) << false;
}

void tst_Snapping::nothingWhereNothingIs()
{
    QFETCH(QImage, image);
    QFETCH(QPointF, at);
    QFETCH(bool, mayFind);
    QElapsedTimer timer;
    timer.start();
    const PixelBuffer pixels = view(image);
    for (const auto &found : {pontiva::snapToMark(pixels, {at.x(), at.y()}), pontiva::snapToCrossing(pixels, {at.x(), at.y()})}) {
        if (!mayFind) {
            QVERIFY2(!found, describe(found, at));
        } else if (found) {
            QVERIFY(found->x >= -0.5 && found->y >= -0.5 && found->x <= image.width() + 0.5
                    && found->y <= image.height() + 0.5);
        }
    }
    QVERIFY(timer.elapsed() < 50);
}

void tst_Snapping::nearestMarkWins()
{
    QImage image = paper();
    {
        QPainter p(&image);
        antialiased(p);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawEllipse(QPointF(24.5, 30.5), 3, 3);
        p.drawEllipse(QPointF(36.5, 30.5), 3, 3);
    }
    const auto left = pontiva::snapToMark(view(image), {28.0, 30.5});
    QVERIFY2(off(left, QPointF(24.5, 30.5)) < 0.1, describe(left, QPointF(24.5, 30.5)));
    const auto right = pontiva::snapToMark(view(image), {33.4, 31.0});
    QVERIFY2(off(right, QPointF(36.5, 30.5)) < 0.1, describe(right, QPointF(36.5, 30.5)));
    QVERIFY(!pontiva::snapToMark(view(image), {55.0, 55.0})); // more than the snap radius away
}

void tst_Snapping::smallMarksOnTheirLine_data()
{
    QTest::addColumn<int>("shape");
    QTest::addColumn<QPointF>("centre");
    QTest::addColumn<bool>("compressed");
    const std::pair<const char *, Shape> shapes[] = {{"triangle", Shape::Triangle},
                                                     {"diamond", Shape::Diamond},
                                                     {"ring", Shape::Ring},
                                                     {"open square", Shape::OpenSquare}};
    // (A 5 px triangle keeps a core only where its pixels fall favourably;
    // elsewhere it gives nothing, never a wrong centre. Through JPEG a 5 px
    // diamond keeps no more than a cross.)
    for (const auto &[name, shape] : shapes)
        for (const QPointF centre : {QPointF(31.85, 30.2), QPointF(30.4, 31.7)})
            for (const bool compressed : {false, true})
                if (shape != Shape::Triangle || centre.x() > 31)
                    QTest::addRow("%s at %.2f,%.2f%s", name, centre.x(), centre.y(), compressed ? ", JPEG 75" : "")
                        << int(shape) << centre << compressed;
}

// A 5 px mark on a series line of its colour nearly as thick as the mark
// is wide: it snaps where the stroke widens, within half a pixel.
void tst_Snapping::smallMarksOnTheirLine()
{
    QFETCH(int, shape);
    QFETCH(QPointF, centre);
    QFETCH(bool, compressed);
    QImage image = paper();
    {
        QPainter p(&image);
        antialiased(p);
        line(p, centre, 6, 1.5, QColor(30, 30, 30));
        drawMark(p, Shape(shape), centre, 5, QColor(30, 30, 30));
    }
    if (compressed)
        image = jpeg75(image);
    for (const QPointF click : {QPointF(1.5, 0.5), QPointF(-0.5, -1.5)}) {
        const QPointF at = centre + click;
        const auto found = pontiva::snapToMark(view(image), {at.x(), at.y()});
        QVERIFY2(off(found, centre) <= 0.5, describe(found, centre));
    }
    // Along the line away from the mark there is nothing to snap to.
    const QPointF along = centre + QPointF(std::cos(6 * Pi / 180), std::sin(6 * Pi / 180)) * 14;
    QVERIFY(!pontiva::snapToMark(view(image), {along.x(), along.y()}));
}

void tst_Snapping::lineThroughAnOpenMark_data()
{
    QTest::addColumn<int>("shape");
    QTest::addColumn<double>("size");
    QTest::addColumn<double>("degrees");
    QTest::addColumn<bool>("through"); // or ending in the middle, at a series' end
    for (const bool through : {true, false})
        for (const double degrees : {8.0, 30.0}) {
            const char *how = through ? "through" : "ending";
            QTest::addRow("14 px ring, line %s at %g deg", how, degrees) << int(Shape::Ring) << 14.0 << degrees << through;
            QTest::addRow("24 px ring, line %s at %g deg", how, degrees) << int(Shape::Ring) << 24.0 << degrees << through;
            QTest::addRow("14 px open square, line %s at %g deg", how, degrees)
                << int(Shape::OpenSquare) << 14.0 << degrees << through;
        }
}

// An open mark whose series line runs on through its hole, or into it and
// ends in its middle: a click in the hole snaps to its middle or not at
// all, never to where the line meets the outline (3 to 10 px off) nor
// beside the line's end (1.5 px off).
void tst_Snapping::lineThroughAnOpenMark()
{
    QFETCH(int, shape);
    QFETCH(double, size);
    QFETCH(double, degrees);
    QFETCH(bool, through);
    const QPointF centre(31.85, 30.2);
    QImage image = paper();
    {
        QPainter p(&image);
        antialiased(p);
        if (through) {
            line(p, centre, degrees, 1.5, QColor(30, 30, 30));
        } else {
            p.setPen(QPen(QColor(30, 30, 30), 1.5));
            p.drawLine(centre, centre + 40 * QPointF(std::cos(degrees * Pi / 180), std::sin(degrees * Pi / 180)));
        }
        drawMark(p, Shape(shape), centre, size, QColor(30, 30, 30));
    }
    const auto found = pontiva::snapToMark(view(image), {centre.x() + 0.6, centre.y() - 0.5});
    QVERIFY2(!found || off(found, centre) <= 0.3, describe(found, centre));
}

void tst_Snapping::thinRingsOnAThickerLine_data()
{
    QTest::addColumn<double>("size");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QPointF>("centre");
    QTest::addColumn<bool>("compressed");
    for (const double size : {8.0, 6.0})
        for (const QColor colour : {QColor(0, 0, 0), QColor(30, 60, 210), QColor(128, 128, 128), QColor(150, 40, 170)})
            for (const QPointF centre : {QPointF(31.85, 30.2), QPointF(30.4, 31.7), QPointF(32.3, 32.6)})
                for (const bool compressed : {false, true})
                    QTest::addRow("%g px %s at %.2f,%.2f%s", size, qPrintable(colour.name()), centre.x(), centre.y(),
                                  compressed ? ", JPEG 75" : "")
                        << size << colour << centre << compressed;
}

// A 6 or 8 px ring drawn with a one-pixel pen, on a 1.5 px series line of
// its colour: its outline, under half dark where it slants across pixels
// (or broken into specks by JPEG), still closes its hole, and a click in
// the hole snaps to its middle, not to where the line meets the ring or to
// a piece of the outline.
void tst_Snapping::thinRingsOnAThickerLine()
{
    QFETCH(double, size);
    QFETCH(QColor, colour);
    QFETCH(QPointF, centre);
    QFETCH(bool, compressed);
    QImage image = paper();
    {
        QPainter p(&image);
        antialiased(p);
        line(p, centre, 8, 1.5, colour);
        p.setPen(QPen(colour, 1.0));
        p.setBrush(Qt::white);
        p.drawEllipse(centre, size / 2 - 0.5, size / 2 - 0.5);
    }
    if (compressed)
        image = jpeg75(image);
    const auto found = pontiva::snapToMark(view(image), {centre.x() + 0.6, centre.y() - 0.5});
    QVERIFY2(off(found, centre) <= 0.2, describe(found, centre));
}

void tst_Snapping::touchingSmallMarksStayTwo_data()
{
    QTest::addColumn<QPointF>("first");
    QTest::addColumn<QPointF>("second");
    // 8 px discs just touching, as a dense scatter has them.
    QTest::addRow("at a slant") << QPointF(27.28, 23.45) << QPointF(34.90, 27.61);
    QTest::addRow("corner to corner") << QPointF(24.3, 24.6) << QPointF(30.5, 30.8);
    QTest::addRow("side by side") << QPointF(24.4, 30.5) << QPointF(32.7, 30.7);
}

// Each snaps to its own centre, not to the middle of the pair.
void tst_Snapping::touchingSmallMarksStayTwo()
{
    QFETCH(QPointF, first);
    QFETCH(QPointF, second);
    QImage image = paper();
    {
        QPainter p(&image);
        antialiased(p);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(20, 40, 160));
        p.drawEllipse(first, 4, 4);
        p.drawEllipse(second, 4, 4);
    }
    for (const QPointF mark : {first, second}) {
        const QPointF other = mark == first ? second : first;
        const QPointF click = mark + 0.25 * (mark - other); // on the mark, away from the other
        const auto snapped = pontiva::snapToMark(view(image), {click.x(), click.y()});
        QVERIFY2(off(snapped, mark) < 0.15, describe(snapped, mark));
    }
}

void tst_Snapping::greyBuffers_data()
{
    QTest::addColumn<int>("format");
    QTest::newRow("grey") << int(QImage::Format_Grayscale8);
    // Premultiplied zeros are transparent paper, not black ink.
    QTest::newRow("on a transparent background") << int(QImage::Format_ARGB32_Premultiplied);
}

void tst_Snapping::greyBuffers()
{
    QFETCH(int, format);
    QImage image(64, 64, QImage::Format(format));
    image.fill(format == QImage::Format_Grayscale8 ? QColor(230, 230, 230) : QColor(Qt::transparent));
    {
        QPainter p(&image);
        antialiased(p);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 30, 30));
        p.drawEllipse(QPointF(30.25, 33.6), 4, 4);
    }
    const auto found = pontiva::snapToMark(view(image), {32.0, 32.0});
    QVERIFY2(off(found, QPointF(30.25, 33.6)) <= 0.1, describe(found, QPointF(30.25, 33.6)));
}

// A real screenshot's 2-pixel anti-aliased frame with outward ticks: the
// corners found from all round, as the truth measured from the ink.
void tst_Snapping::realChartCorners_data()
{
    QTest::addColumn<QPointF>("truth");
    QTest::newRow("bottom left, ticks making a cross") << QPointF(160.117, 1208.863);
    QTest::newRow("bottom right") << QPointF(1742.156, 1208.863);
    QTest::newRow("top left") << QPointF(160.117, 29.957);
}

void tst_Snapping::realChartCorners()
{
    QFETCH(QPointF, truth);
    static const QImage chart =
        QImage(QStringLiteral(PONTIVA_REAL_CHARTS "/starry-seebeck.png")).convertToFormat(QImage::Format_RGB32);
    QVERIFY(!chart.isNull());
    const PixelBuffer pixels{chart.constBits(), chart.width(), chart.height(), chart.bytesPerLine(),
                             PixelBuffer::Layout::Xrgb32};
    for (int k = 0; k < 8; ++k) {
        const double angle = k * M_PI / 4;
        const auto found = snapToCrossing(pixels, {truth.x() + 2 * std::cos(angle), truth.y() + 2 * std::sin(angle)});
        QVERIFY(found);
        QVERIFY2(std::hypot(found->x - truth.x(), found->y - truth.y()) < 0.1,
                 qPrintable(QStringLiteral("%1, %2").arg(found->x).arg(found->y)));
    }
}

void tst_Snapping::realChartsFromEightDirections_data()
{
    QTest::addColumn<int>("chart");
    QTest::addColumn<bool>("crossings");
    const auto charts = realCharts();
    QCOMPARE(int(charts.size()), 3);
    for (int i = 0; i < 3; ++i)
        for (const bool crossings : {true, false})
            QTest::addRow("%s, %s", qPrintable(charts[std::size_t(i)].kind), crossings ? "crossings" : "marks") << i << crossings;
}

// Every reference point and listed mark of the real charts, clicked 2 px
// off from 8 directions: a snap lands within 0.3 px of the truth or not
// at all, and 7 of the 8 snap.
void tst_Snapping::realChartsFromEightDirections()
{
    QFETCH(int, chart);
    QFETCH(bool, crossings);
    static const auto charts = realCharts();
    const ChartWithTruth &c = charts[std::size_t(chart)];
    const PixelBuffer pixels = pixelsOf(c.picture);
    for (const QPointF truth : crossings ? c.crossings : c.marks) {
        int snapped = 0;
        for (int k = 0; k < 8; ++k) {
            const PixelPoint at{truth.x() + 2 * std::cos(k * Pi / 4), truth.y() + 2 * std::sin(k * Pi / 4)};
            const auto found = crossings ? pontiva::snapToCrossing(pixels, at) : pontiva::snapToMark(pixels, at);
            if (!found)
                continue;
            ++snapped;
            QVERIFY2(off(found, truth) <= 0.3, describe(found, truth));
        }
        QVERIFY2(snapped >= 7, qPrintable(QStringLiteral("%1 of 8 snapped at %2, %3").arg(snapped).arg(truth.x()).arg(truth.y())));
    }
}

const std::vector<ChartWithTruth> &scanLike()
{
    static const std::vector<ChartWithTruth> charts = scanLikeCharts();
    return charts;
}

void tst_Snapping::scanLikeChartsFromEightDirections_data()
{
    QTest::addColumn<int>("chart");
    QTest::addColumn<double>("bound");   // px from the truth
    QTest::addColumn<double>("snapped"); // share of clicks that must snap
    // In the order the charts are drawn: five frames, then the marks.
    const struct {
        double bound, snapped;
    } rows[] = {{0.3, 0.95}, {0.3, 0.95}, {0.3, 0.95},  {0.3, 0.95},  {0.3, 0.95},  {0.25, 1.0},
                {0.15, 1.0}, {0.15, 1.0}, {0.15, 0.8}, {0.15, 1.0}, {0.15, 1.0}, {0.15, 1.0}};
    QCOMPARE(scanLike().size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i)
        QTest::addRow("%s", qPrintable(scanLike()[i].kind)) << int(i) << rows[i].bound << rows[i].snapped;
}

// Scan-like charts (blur, grain, JPEG 70, turned, labels at the corners),
// every feature clicked 2 px off from 8 directions: snaps land within the
// bound or not at all, and most clicks snap.
void tst_Snapping::scanLikeChartsFromEightDirections()
{
    QFETCH(int, chart);
    QFETCH(double, bound);
    QFETCH(double, snapped);
    const ChartWithTruth &c = scanLike()[std::size_t(chart)];
    const PixelBuffer pixels = pixelsOf(c.picture);
    int clicks = 0, found = 0, beyond = 0;
    for (const bool crossings : {true, false})
        for (const QPointF truth : crossings ? c.crossings : c.marks)
            for (int k = 0; k < 8; ++k) {
                const PixelPoint at{truth.x() + 2 * std::cos(k * Pi / 4), truth.y() + 2 * std::sin(k * Pi / 4)};
                const auto snap = crossings ? pontiva::snapToCrossing(pixels, at) : pontiva::snapToMark(pixels, at);
                ++clicks;
                found += snap.has_value();
                if (snap && off(snap, truth) > bound) {
                    ++beyond;
                    qInfo("%s", describe(snap, truth).constData());
                }
            }
    QVERIFY2(!beyond, qPrintable(QStringLiteral("%1 snaps beyond %2 px").arg(beyond).arg(bound)));
    QVERIFY2(found >= snapped * clicks, qPrintable(QStringLiteral("%1 of %2 clicks snapped").arg(found).arg(clicks)));
}

// Clicked at its very middle, a 40 px ring on a grainy scan: the middle of
// its stroke, found a pixel apart from one pass to the next, must not keep
// the centre swinging between two places (it then snapped to nothing).
void tst_Snapping::largeMarksOnAGrainyScanFromTheirMiddle()
{
    const SeriesChart chart = markSeriesChart(40, true);
    const QImage scan = scanned(chart.picture, 7);
    const PixelBuffer pixels = pixelsOf(scan);
    for (const SeriesChart::Series &series : chart.series)
        for (const QPointF truth : series.marks) {
            const auto snap = pontiva::snapToMark(pixels, {truth.x(), truth.y()});
            QVERIFY2(snap && off(snap, truth) <= 0.3, describe(snap, truth).constData());
        }
}

void tst_Snapping::overlappingDiscsThroughJpeg_data()
{
    QTest::addColumn<double>("size");
    QTest::addRow("24 px") << 24.0;
    QTest::addRow("40 px") << 40.0;
}

// Where two discs meet, the blur of both carries a ray or two of either's
// outline past its edge.
void tst_Snapping::overlappingDiscsThroughJpeg()
{
    QFETCH(double, size);
    const SeriesChart chart = markSeriesChart(size, true);
    const PixelBuffer pixels = pixelsOf(chart.picture);
    for (const std::size_t i : {7, 11}) { // the overlapping pair
        const QPointF truth = chart.series.front().marks[i];
        for (int k = 0; k < 8; ++k) {
            const double a = k * M_PI / 4;
            const auto snap = pontiva::snapToMark(pixels, {truth.x() + 2 * std::cos(a), truth.y() + 2 * std::sin(a)});
            QVERIFY2(snap && off(snap, truth) <= 0.3, describe(snap, truth).constData());
        }
    }
}

QTEST_MAIN(tst_Snapping)
#include "tst_snapping.moc"

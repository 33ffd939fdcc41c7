// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Charts whose features lie at known places.
#include "chartswithtruth.h"

#include <QBuffer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include <cmath>
#include <random>

namespace {

constexpr double Pi = 3.14159265358979323846;

QPointF pixelOf(const QJsonValue &feature)
{
    const QJsonObject p = feature.toObject().value(QLatin1String("pixel")).toObject();
    return {p.value(QLatin1String("x")).toDouble(), p.value(QLatin1String("y")).toDouble()};
}

} // namespace

QImage scanned(const QImage &drawn, unsigned seed)
{
    QImage out = drawn.convertToFormat(QImage::Format_RGB32);
    const QImage in = out.copy();
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> grain(-6, 6);
    for (int y = 0; y < out.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            // A 1-2-1 blur each way.
            int sum[3] = {0, 0, 0}, weight = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int sx = std::clamp(x + dx, 0, out.width() - 1), sy = std::clamp(y + dy, 0, out.height() - 1);
                    const int w = (2 - std::abs(dx)) * (2 - std::abs(dy));
                    const QRgb c = in.pixel(sx, sy);
                    sum[0] += w * qRed(c);
                    sum[1] += w * qGreen(c);
                    sum[2] += w * qBlue(c);
                    weight += w;
                }
            const int g = grain(random);
            row[x] = qRgb(std::clamp(sum[0] / weight + g, 0, 255), std::clamp(sum[1] / weight + g, 0, 255),
                          std::clamp(sum[2] / weight + g, 0, 255));
        }
    }
    return throughJpeg(out, 70);
}

namespace {

QImage paper(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(250, 249, 244));
    return image;
}

// A frame with inward ticks, a grid line meeting it (T junctions), two
// lines crossing mid-plot and labels touching the corners, drawn with
// strokes `width` wide, turned and slightly sheared as on a scan.
ChartWithTruth frame(double width, double degrees, unsigned seed)
{
    ChartWithTruth chart;
    chart.kind = QStringLiteral("frame corners, T and cross, %1 px strokes, ticks, labels touching, turned %2 deg")
                     .arg(width)
                     .arg(degrees);
    QImage image = paper(420, 340);
    QTransform turn;
    turn.translate(210, 170);
    turn.rotate(degrees);
    turn.shear(0.008, 0);
    turn.translate(-210, -170);
    const double left = 70.3, right = 360.6, top = 40.2, bottom = 280.7, midX = 232.4, midY = 175.45; // between ticks
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setTransform(turn);
        p.setPen(QPen(QColor(25, 25, 25), width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        p.drawPolygon(QPolygonF({{left, top}, {right, top}, {right, bottom}, {left, bottom}}));
        p.setPen(QPen(QColor(25, 25, 25), width, Qt::SolidLine, Qt::FlatCap));
        const double tick = 5 + width;
        for (double x = left + 36; x < right - 10; x += 36) {
            p.drawLine(QPointF(x, bottom), QPointF(x, bottom - tick));
            p.drawLine(QPointF(x, top), QPointF(x, top + tick));
        }
        for (double y = bottom - 30; y > top + 10; y -= 30) {
            p.drawLine(QPointF(left, y), QPointF(left + tick, y));
            p.drawLine(QPointF(right, y), QPointF(right - tick, y));
        }
        // A thinner grid line from the bottom to the top: T junctions; and
        // one across it in the middle.
        p.setPen(QPen(QColor(60, 60, 60), std::max(1.0, width / 2), Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(midX, bottom), QPointF(midX, top));
        p.drawLine(QPointF(left, midY), QPointF(right, midY));
        // Labels whose boxes touch the stroke's outer edge at the corners.
        QFont font;
        font.setPixelSize(18);
        p.setFont(font);
        p.setPen(QColor(25, 25, 25));
        const double edge = width / 2;
        p.drawText(QRectF(left - edge - 14, bottom + edge - 2, 14, 20), Qt::AlignRight | Qt::AlignTop, QStringLiteral("0"));
        p.drawText(QRectF(left - edge - 30, top - 10, 30 - 1, 20), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("10"));
        p.drawText(QRectF(right - 20, bottom + edge, 40, 20), Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("800"));
    }
    for (const QPointF c : {QPointF(left, top), QPointF(right, top), QPointF(right, bottom), QPointF(left, bottom),
                            QPointF(midX, bottom), QPointF(midX, top), QPointF(midX, midY), QPointF(left, midY)})
        chart.crossings.push_back(turn.map(c));
    chart.picture = scanned(image, seed);
    return chart;
}

// Marks laid out on a grid of cells, each at a sub-pixel place, with
// optionally a line of `lineWidth` through its centre in its own colour.
ChartWithTruth marks(const QString &kind, const std::vector<Shape> &shapes, const std::vector<double> &sizes,
                     double lineWidth, bool errorBars, bool transparent, unsigned seed)
{
    ChartWithTruth chart;
    chart.kind = kind;
    const int cell = 110;
    const int columns = int(sizes.size()), rows = int(shapes.size());
    QImage image(columns * cell + 40, rows * cell + 40,
                 transparent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    image.fill(transparent ? QColor(Qt::transparent) : QColor(250, 249, 244));
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> jitter(-0.5, 0.5);
    const QColor colours[] = {QColor(20, 20, 20), QColor(30, 70, 200), QColor(20, 140, 60), QColor(200, 30, 30)};
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        for (int row = 0; row < rows; ++row)
            for (int column = 0; column < columns; ++column) {
                const double size = sizes[std::size_t(column)];
                const QPointF centre(40 + column * cell + cell / 2.0 + jitter(random), 40 + row * cell + cell / 2.0 + jitter(random));
                const QColor colour = colours[(row + column) % 4];
                if (lineWidth > 0) {
                    // A series' line, slanting through the mark.
                    p.setPen(QPen(colour, lineWidth, Qt::SolidLine, Qt::FlatCap));
                    p.drawLine(centre - QPointF(cell / 2.0, cell / 6.0), centre + QPointF(cell / 2.0, cell / 6.0));
                }
                if (errorBars) {
                    const double bar = size / 2 + 14, cap = std::max(4.0, size / 3);
                    p.setPen(QPen(colour, 1.2, Qt::SolidLine, Qt::FlatCap));
                    p.drawLine(centre - QPointF(0, bar), centre + QPointF(0, bar));
                    p.drawLine(centre + QPointF(-cap, -bar), centre + QPointF(cap, -bar));
                    p.drawLine(centre + QPointF(-cap, bar), centre + QPointF(cap, bar));
                }
                chart.marks.push_back(drawMark(p, shapes[std::size_t(row)], centre, size, colour));
            }
    }
    // JPEG has no alpha: a transparent picture stays as drawn.
    chart.picture = transparent ? image : scanned(image, seed);
    return chart;
}

ChartWithTruth overlapping(unsigned seed)
{
    ChartWithTruth chart;
    chart.kind = QStringLiteral("pairs of discs overlapping at 0.6 diameters, 10-40 px");
    QImage image = paper(700, 200);
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> jitter(-0.5, 0.5);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        double x = 40;
        for (const double size : {10.0, 14.0, 20.0, 30.0, 40.0}) {
            const double angle = x / 97; // every pair at its own slant
            const QPointF a(x + jitter(random), 100 + jitter(random));
            const QPointF b = a + 0.6 * size * QPointF(std::cos(angle), std::sin(angle));
            drawMark(p, Shape::Disc, a, size, QColor(30, 30, 30));
            drawMark(p, Shape::Disc, b, size, QColor(30, 30, 30));
            chart.marks.push_back(a);
            chart.marks.push_back(b);
            x += 2.2 * size + 50;
        }
    }
    chart.picture = scanned(image, seed);
    return chart;
}

} // namespace

// Draws a mark `size` across with its centre (a triangle's centroid) at `centre`.
QPointF drawMark(QPainter &p, Shape shape, QPointF centre, double size, QColor colour)
{
    const double r = size / 2;
    const bool hollow = shape == Shape::Ring || shape == Shape::OpenSquare;
    if (hollow) {
        const double pen = std::clamp(size / 10, 1.2, 3.0);
        p.setPen(QPen(colour, pen, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        p.setBrush(Qt::NoBrush);
        if (shape == Shape::Ring)
            p.drawEllipse(centre, r - pen / 2, r - pen / 2);
        else
            p.drawRect(QRectF(centre - QPointF(r - pen / 2, r - pen / 2), QSizeF(size - pen, size - pen)));
        return centre;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    switch (shape) {
    case Shape::Disc: p.drawEllipse(centre, r, r); break;
    case Shape::Square: p.drawRect(QRectF(centre - QPointF(r, r), QSizeF(size, size))); break;
    case Shape::Diamond:
        p.drawPolygon(QPolygonF({centre + QPointF(0, -r), centre + QPointF(r, 0), centre + QPointF(0, r), centre + QPointF(-r, 0)}));
        break;
    case Shape::Triangle: {
        // Equilateral, pointing up, its centroid at `centre`.
        const double h = size * std::sqrt(3.0) / 2;
        p.drawPolygon(QPolygonF({centre + QPointF(0, -2 * h / 3), centre + QPointF(r, h / 3), centre + QPointF(-r, h / 3)}));
        break;
    }
    default: break;
    }
    return centre;
}

pontiva::PixelBuffer pixelsOf(const QImage &picture)
{
    using Layout = pontiva::PixelBuffer::Layout;
    return {picture.constBits(), picture.width(), picture.height(), picture.bytesPerLine(),
            picture.format() == QImage::Format_Grayscale8            ? Layout::Grey8
                : picture.format() == QImage::Format_ARGB32_Premultiplied ? Layout::Argb32Premultiplied
                                                                          : Layout::Xrgb32};
}

QImage throughJpeg(const QImage &picture, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPG", quality);
    return QImage::fromData(bytes, "JPG").convertToFormat(QImage::Format_RGB32);
}

std::vector<ChartWithTruth> realCharts()
{
    std::vector<ChartWithTruth> charts;
    for (const char *name : {"g3data-test2", "engauge-pointplot", "starry-seebeck"}) {
        QFile file(QStringLiteral(PONTIVA_REAL_CHARTS "/%1.json").arg(QLatin1String(name)));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QJsonObject truth = QJsonDocument::fromJson(file.readAll()).object();
        ChartWithTruth chart;
        chart.kind = QStringLiteral("real: %1").arg(QLatin1String(name));
        chart.picture = QImage(QStringLiteral(PONTIVA_REAL_CHARTS "/") + truth.value(QLatin1String("file")).toString())
                            .convertToFormat(QImage::Format_RGB32);
        for (const QJsonValue r : truth.value(QLatin1String("reference_points")).toArray())
            chart.crossings.push_back(pixelOf(r));
        for (const QJsonValue m : truth.value(QLatin1String("points")).toArray())
            chart.marks.push_back(pixelOf(m));
        charts.push_back(std::move(chart));
    }
    return charts;
}

std::vector<ChartWithTruth> scanLikeCharts()
{
    std::vector<ChartWithTruth> charts;
    unsigned seed = 1;
    const std::pair<double, double> strokes[] = {{1, 0.5}, {2, 1}, {3, 3}, {4, 2}, {6, 1.5}};
    for (const auto &[width, degrees] : strokes)
        charts.push_back(frame(width, degrees, seed++));
    using S = Shape;
    const std::vector<S> filled{S::Disc, S::Square, S::Diamond, S::Triangle};
    charts.push_back(marks(QStringLiteral("filled marks 3-64 px, scanned"), filled, {3, 5, 8, 12, 24, 40, 64}, 0, false,
                           false, seed++));
    charts.push_back(marks(QStringLiteral("filled marks 8-40 px, a 1 px line through"), filled, {8, 12, 24, 40}, 1.0,
                           false, false, seed++));
    charts.push_back(marks(QStringLiteral("hollow marks 8-64 px"), {S::Ring, S::OpenSquare}, {8, 12, 24, 40, 64}, 0,
                           false, false, seed++));
    charts.push_back(marks(QStringLiteral("24-40 px marks on a 5 px line of their colour"), filled, {24, 32, 40}, 5.0,
                           false, false, seed++));
    charts.push_back(marks(QStringLiteral("marks 8-24 px with error bars and caps"), {S::Disc, S::Square}, {8, 12, 24},
                           0, true, false, seed++));
    charts.push_back(overlapping(seed++));
    charts.push_back(marks(QStringLiteral("filled marks 5-40 px on a transparent background"), filled, {5, 12, 24, 40}, 0,
                           false, true, seed++));
    return charts;
}

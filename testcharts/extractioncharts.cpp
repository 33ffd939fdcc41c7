// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Charts for extraction with known truth.
#include "extractioncharts.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include <cmath>
#include <random>

namespace {

// A scan's page is seldom straight: 2 degrees about the middle.
QTransform turnedAbout(QSize size, bool turned)
{
    QTransform t;
    if (!turned)
        return t;
    t.translate(size.width() / 2.0, size.height() / 2.0);
    t.rotate(2);
    t.translate(-size.width() / 2.0, -size.height() / 2.0);
    return t;
}

void frameAndGrid(QPainter &p, QRectF plot, double gridStep)
{
    p.setPen(QPen(QColor(200, 200, 200), 1));
    for (double x = plot.left() + gridStep; x < plot.right(); x += gridStep)
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    for (double y = plot.bottom() - gridStep; y > plot.top(); y -= gridStep)
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    p.setPen(QPen(QColor(20, 20, 20), 2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRect(plot);
}

} // namespace

SeriesChart markSeriesChart(double size, bool scanned)
{
    SeriesChart chart;
    chart.kind = QStringLiteral("%1 px marks, %2").arg(size).arg(scanned ? QStringLiteral("JPEG 75, turned 2 deg") : QStringLiteral("clean"));
    const QColor dark(25, 25, 30), red(210, 40, 40);
    struct Kind {
        const char *name;
        Shape shape;
        QColor colour;
        double scale;
    };
    const Kind kinds[] = {{"discs", Shape::Disc, dark, 1},         {"squares", Shape::Square, dark, 1},
                          {"triangles", Shape::Triangle, dark, 1}, {"diamonds", Shape::Diamond, dark, 1},
                          {"rings", Shape::Ring, dark, 1},         {"open squares", Shape::OpenSquare, dark, 1},
                          {"red discs", Shape::Disc, red, 1},      {"larger discs", Shape::Disc, dark, 1.5}};
    const int band = int(std::max(70.0, 1.5 * size + 36));
    const int columns = 10;
    const double spacing = std::max(60.0, 2.4 * size);
    const QRectF plot(60.5, 40.5, 120 + columns * spacing + 200, 40 + 8 * band);
    QImage image(int(plot.right()) + 60, int(plot.bottom()) + 60, QImage::Format_RGB32);
    image.fill(QColor(252, 251, 248));
    const QTransform turn = turnedAbout(image.size(), scanned);
    std::mt19937 random(unsigned(size * 10) + scanned);
    std::uniform_real_distribution<double> jitter(-0.5, 0.5);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setTransform(turn);
        frameAndGrid(p, plot, 100);
        QFont font;
        font.setPixelSize(15);
        p.setFont(font);
        for (int s = 0; s < 8; ++s) {
            const Kind &k = kinds[s];
            const double markSize = size * k.scale;
            SeriesChart::Series series;
            series.name = QLatin1String(k.name);
            const double base = plot.top() + 20 + band * (s + 0.5);
            for (int j = 0; j < columns; ++j)
                series.marks.emplace_back(plot.left() + 60 + j * spacing + jitter(random),
                                          base + 0.12 * band * std::sin(j * 0.9 + s) + jitter(random));
            if (s == 0) {
                // Two that touch and two that overlap at 0.6 diameters, at a slant.
                const QPointF touching = series.marks[2] + size * QPointF(std::cos(0.8), -std::sin(0.8));
                const QPointF overlapping = series.marks[6] + 0.6 * size * QPointF(std::cos(0.6), std::sin(0.6));
                series.marks.insert(series.marks.begin() + 3, touching);
                series.marks.push_back(overlapping);
            }
            // The series' line first, so the marks lie on it.
            QPainterPath line;
            line.moveTo(series.marks[0]);
            for (int j = 1; j < columns + (s == 0 ? 1 : 0); ++j)
                if (!(s == 0 && j == 3))
                    line.lineTo(series.marks[std::size_t(j)]);
            p.setPen(QPen(k.colour, 1.5));
            p.setBrush(Qt::NoBrush);
            p.drawPath(line);
            if (s == 1)
                for (const QPointF m : series.marks) {
                    const double bar = markSize / 2 + 12, cap = std::max(4.0, markSize / 3);
                    p.setPen(QPen(k.colour, 1.2, Qt::SolidLine, Qt::FlatCap));
                    p.drawLine(m - QPointF(0, bar), m + QPointF(0, bar));
                    p.drawLine(m + QPointF(-cap, -bar), m + QPointF(cap, -bar));
                    p.drawLine(m + QPointF(-cap, bar), m + QPointF(cap, bar));
                }
            // Hollow marks filled with paper, as most plotting programs draw
            // them: the series' line stops at their outline.
            const bool hollow = k.shape == Shape::Ring || k.shape == Shape::OpenSquare;
            for (const QPointF m : series.marks) {
                if (hollow)
                    drawMark(p, k.shape == Shape::Ring ? Shape::Disc : Shape::Square, m, markSize - 1, image.pixelColor(0, 0));
                drawMark(p, k.shape, m, markSize, k.colour);
            }
            // The legend, inside the plot on the right: a sample and its name.
            series.legend = QPointF(plot.right() - 170 + jitter(random), base + jitter(random));
            drawMark(p, k.shape, series.legend, markSize, k.colour);
            p.setPen(QColor(20, 20, 20));
            p.drawText(QRectF(series.legend.x() + markSize / 2 + 12, base - 10, 140, 20), Qt::AlignVCenter,
                       QLatin1String(k.name));
            for (QPointF &m : series.marks)
                m = turn.map(m);
            series.legend = turn.map(series.legend);
            chart.series.push_back(series);
        }
        p.resetTransform();
    }
    chart.references = {turn.map(plot.bottomLeft()), turn.map(plot.bottomRight()), turn.map(plot.topLeft())};
    chart.picture = scanned ? throughJpeg(image, 75) : image;
    return chart;
}

SeriesChart markScatterChart(double size, bool scanned)
{
    SeriesChart chart;
    chart.kind = QStringLiteral("%1 px marks alone, %2").arg(size).arg(scanned ? QStringLiteral("JPEG 75, turned 2 deg") : QStringLiteral("clean"));
    const QColor dark(25, 25, 30);
    const std::pair<const char *, Shape> kinds[] = {{"discs", Shape::Disc},   {"squares", Shape::Square},
                                                    {"triangles", Shape::Triangle}, {"diamonds", Shape::Diamond},
                                                    {"rings", Shape::Ring}, {"open squares", Shape::OpenSquare}};
    const double spacing = std::max(40.0, 3 * size);
    const QRectF plot(40.5, 30.5, 40 + 10 * spacing, 6 * spacing + 40);
    QImage image(int(plot.right()) + 40, int(plot.bottom()) + 40, QImage::Format_RGB32);
    const QColor paper(252, 251, 248);
    image.fill(paper);
    const QTransform turn = turnedAbout(image.size(), scanned);
    std::mt19937 random(unsigned(size * 10) + scanned + 7);
    std::uniform_real_distribution<double> jitter(-0.5, 0.5);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setTransform(turn);
        frameAndGrid(p, plot, 100);
        for (std::size_t s = 0; s < std::size(kinds); ++s) {
            SeriesChart::Series series;
            series.name = QLatin1String(kinds[s].first);
            for (int j = 0; j < 10; ++j) {
                const QPointF at(plot.left() + 40 + j * spacing + 0.2 * spacing * std::sin(j + double(s)) + jitter(random),
                                 plot.top() + 40 + double(s) * spacing + 0.2 * spacing * std::cos(0.7 * j + double(s)) + jitter(random));
                if (kinds[s].second == Shape::Ring || kinds[s].second == Shape::OpenSquare)
                    drawMark(p, kinds[s].second == Shape::Ring ? Shape::Disc : Shape::Square, at, size - 1, paper);
                series.marks.push_back(turn.map(drawMark(p, kinds[s].second, at, size, dark)));
            }
            series.legend = QPointF(-1000, -1000); // none
            chart.series.push_back(series);
        }
    }
    chart.references = {turn.map(plot.bottomLeft()), turn.map(plot.bottomRight()), turn.map(plot.topLeft())};
    chart.picture = scanned ? throughJpeg(image, 75) : image;
    return chart;
}

SeriesChart inkSeriesChart(Shape shape, double size, bool scanned, double ringPen)
{
    SeriesChart chart;
    chart.kind = QStringLiteral("%1 px, %2").arg(size).arg(scanned ? QStringLiteral("JPEG 75") : QStringLiteral("clean"));
    const std::pair<const char *, QColor> inks[] = {{"black", QColor(0, 0, 0)},      {"red", QColor(220, 30, 30)},
                                                    {"blue", QColor(30, 60, 210)},    {"grey", QColor(128, 128, 128)},
                                                    {"green", QColor(20, 150, 40)},   {"orange", QColor(230, 140, 0)},
                                                    {"purple", QColor(150, 40, 170)}};
    QImage image(900, 660, QImage::Format_RGB32);
    const QColor paper(252, 252, 250);
    image.fill(paper);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        std::mt19937 random(5);
        std::uniform_real_distribution<double> jitter(-15, 15);
        for (std::size_t c = 0; c < std::size(inks); ++c) {
            SeriesChart::Series series;
            series.name = QString::fromLatin1(inks[c].first);
            for (int i = 0; i < 8; ++i)
                series.marks.emplace_back(100 + i * 95 + jitter(random) + 0.37 * double(c), 80 + double(c) * 80 + jitter(random));
            p.setPen(QPen(inks[c].second, 1.2));
            p.drawPolyline(series.marks.data(), 8);
            for (QPointF &m : series.marks) {
                if (shape == Shape::Ring || shape == Shape::OpenSquare) // the line stops at the outline
                    drawMark(p, shape == Shape::Ring ? Shape::Disc : Shape::Square, m, size - 1, paper);
                if (shape == Shape::Ring && ringPen > 0) {
                    p.setPen(QPen(inks[c].second, ringPen));
                    p.setBrush(Qt::NoBrush);
                    p.drawEllipse(m, (size - ringPen) / 2, (size - ringPen) / 2);
                } else {
                    m = drawMark(p, shape, m, size, inks[c].second);
                }
            }
            series.legend = QPointF(-1000, -1000); // none
            chart.series.push_back(series);
        }
    }
    chart.references = {QPointF(0, image.height()), QPointF(image.width(), image.height()), QPointF(0, 0)};
    chart.picture = scanned ? throughJpeg(image, 75) : image;
    return chart;
}

CurveChart crossingCurvesChart(double width, bool scanned)
{
    CurveChart chart;
    chart.kind = QStringLiteral("%1 px curves, %2").arg(width).arg(scanned ? QStringLiteral("JPEG 75, turned 2 deg") : QStringLiteral("clean"));
    QImage image(1100, 640, QImage::Format_RGB32);
    image.fill(QColor(252, 251, 248));
    const QRectF plot(50.5, 30.5, 1000, 580);
    const QTransform turn = turnedAbout(image.size(), scanned);
    auto first = [](double x) { return 320 + 180 * std::sin((x - 60) / 170); };
    auto second = [](double x) { return 330 - 150 * std::sin((x - 60) / 260 + 0.9) + 0.00008 * (x - 500) * (x - 500); };
    const std::pair<QColor, bool> looks[] = {{QColor(30, 60, 200), false}, {QColor(200, 40, 30), true}};
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setTransform(turn);
        frameAndGrid(p, plot, 80);
        for (int c = 0; c < 2; ++c) {
            std::vector<QPointF> line;
            QPainterPath path;
            for (double x = 90; x <= 1010; x += 0.5) {
                const QPointF at(x, c == 0 ? first(x) : second(x));
                line.push_back(at);
                if (line.size() == 1)
                    path.moveTo(at);
                else
                    path.lineTo(at);
            }
            QPen pen(looks[c].first, width, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin);
            if (looks[c].second)
                pen.setDashPattern({6, 3}); // in widths
            p.setPen(pen);
            p.drawPath(path);
            for (QPointF &q : line)
                q = turn.map(q);
            chart.curves.push_back(line);
            chart.dashed.push_back(looks[c].second);
        }
    }
    chart.picture = scanned ? throughJpeg(image, 75) : image;
    return chart;
}

double distanceTo(const std::vector<QPointF> &line, QPointF p)
{
    double best = 1e18;
    for (std::size_t i = 1; i < line.size(); ++i) {
        const QPointF a = line[i - 1], b = line[i], ab = b - a, ap = p - a;
        const double l2 = QPointF::dotProduct(ab, ab);
        const double t = l2 > 0 ? std::clamp(QPointF::dotProduct(ap, ab) / l2, 0.0, 1.0) : 0.0;
        const QPointF q = a + t * ab;
        best = std::min(best, std::hypot(p.x() - q.x(), p.y() - q.y()));
    }
    return best;
}

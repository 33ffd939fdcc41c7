// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Extraction, timed: every mark like one on a 1000 x 750 chart and on the
// same chart scanned at six times the size (6000 x 4500), and a curve
// traced across 1200 px. With --accuracy: the extraction accuracy tables.
#include "extraction/curvetrace.h"
#include "extraction/similarmarks.h"

#include "benchstats.h"
#include "extractioncharts.h"

#include <QGuiApplication>
#include <QImage>
#include <QStringList>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>

namespace {

using Clock = std::chrono::steady_clock;

// A scatter of 200 discs 8 px across, some touching or overlapping, and a light grid, drawn `scale` times larger.
QImage scatter(int scale, std::vector<QPointF> &marks)
{
    QImage chart(1000 * scale, 750 * scale, QImage::Format_RGB32);
    chart.fill(QColor(252, 251, 247));
    QPainter p(&chart);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    p.setPen(QPen(QColor(200, 200, 200), 1));
    for (int x = 100; x <= 900; x += 50)
        p.drawLine(QPointF(x, 50), QPointF(x, 700));
    for (int y = 50; y <= 700; y += 50)
        p.drawLine(QPointF(100, y), QPointF(900, y));
    p.setPen(QPen(Qt::black, 1.5));
    p.drawRect(QRectF(100, 50, 800, 650));
    std::mt19937 random(3);
    std::uniform_real_distribution<double> x(120, 880), y(70, 680);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 40, 160));
    std::vector<QPointF> drawn;
    while (drawn.size() < 200) {
        const QPointF c(x(random), y(random));
        // Overlapping no more than two marks 0.6 diameters apart.
        if (std::any_of(drawn.begin(), drawn.end(), [c](QPointF d) { return std::hypot(c.x() - d.x(), c.y() - d.y()) < 4.8; }))
            continue;
        drawn.push_back(c);
        p.drawEllipse(c, 4, 4);
        marks.push_back(c * scale);
    }
    return chart;
}

void report(const char *what, std::vector<double> ms, double goal, const char *extra)
{
    const bench::Stats s = bench::summarise(std::move(ms));
    std::printf("%-34s median %8.2f ms  p99 %8.2f ms  (goal %g ms)  %s\n", what, s.median, s.p99, goal, extra);
}

std::vector<double> timed(int runs, const std::function<void()> &work)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return ms;
}

// How a search from one example did on its series: marks found once,
// missed, found twice, other finds (the legend's sample aside), and the
// error of those found, mean and worst.
struct SeriesScore {
    int once = 0, missed = 0, twice = 0, others = 0;
    double mean = 0, worst = 0;
};

SeriesScore scored(const std::vector<pontiva::PixelPoint> &found, const SeriesChart::Series &s, double markSize)
{
    std::vector<int> hits(s.marks.size());
    SeriesScore score;
    double sum = 0;
    for (const pontiva::PixelPoint f : found) {
        int nearest = -1;
        double best = 0.5 * markSize;
        for (std::size_t i = 0; i < s.marks.size(); ++i) {
            const double d = std::hypot(f.x - s.marks[i].x(), f.y - s.marks[i].y());
            if (d < best)
                best = d, nearest = int(i);
        }
        if (nearest >= 0) {
            if (hits[std::size_t(nearest)]++ == 0)
                sum += best, score.worst = std::max(score.worst, best);
        } else if (std::hypot(f.x - s.legend.x(), f.y - s.legend.y()) >= 0.5 * markSize) {
            ++score.others;
        }
    }
    score.once = int(std::count(hits.begin(), hits.end(), 1));
    score.missed = int(std::count(hits.begin(), hits.end(), 0));
    score.twice = int(hits.size()) - score.once - score.missed;
    const int measured = score.once + score.twice;
    score.mean = measured ? sum / measured : 0.0;
    return score;
}

// The accuracy tables: for every series of every chart, searched from its
// second mark, how its marks were found (see SeriesScore); then, searched
// from each mark of every series in turn, how many of those searches
// found their series exactly (every mark once, nothing else, within 0.15
// px clean and 0.3 px scanned). For every curve, how far its points every
// 10 px lie from the true centre line and how near its ends they reach.
void accuracy()
{
    std::printf("| chart | series | marks found once | missed / twice | other finds | error mean / worst px |\n|---|---|---|---|---|---|\n");
    std::vector<std::pair<double, bool>> charts; // size, and whether the marks stand alone
    for (const double size : {5.0, 8.0, 14.0, 24.0, 40.0})
        charts.emplace_back(size, false);
    for (const double size : {4.0, 5.0, 8.0})
        charts.emplace_back(size, true);
    QStringList fromEveryMark;
    for (const bool scanned : {false, true})
        for (const auto &[size, alone] : charts) {
            const SeriesChart chart = alone ? markScatterChart(size, scanned) : markSeriesChart(size, scanned);
            const pontiva::PixelBuffer pixels = pixelsOf(chart.picture);
            const pontiva::PixelRect region = pontiva::searchRegionOf(
                {pontiva::PixelPoint{chart.references[0].x(), chart.references[0].y()},
                 {chart.references[1].x(), chart.references[1].y()}, {chart.references[2].x(), chart.references[2].y()}},
                pixels.width, pixels.height);
            int searches = 0, exact = 0, refused = 0, incomplete = 0, extra = 0, off = 0;
            for (const SeriesChart::Series &s : chart.series) {
                const double markSize = s.name == QLatin1String("larger discs") ? 1.5 * size : size;
                auto search = [&](QPointF mark) {
                    return pontiva::findSimilarMarks(pixels, {mark.x() + 1.2, mark.y() - 0.8}, region);
                };
                const SeriesScore score = scored(search(s.marks[1]).centres, s, markSize);
                std::printf("| %s | %s, %g px | %d of %zu | %d / %d | %d | %.2f / %.2f |\n", qPrintable(chart.kind),
                            qPrintable(s.name), markSize, score.once, s.marks.size(), score.missed, score.twice,
                            score.others, score.mean, score.worst);
                for (const QPointF mark : s.marks) {
                    ++searches;
                    const pontiva::MarkSearch found = search(mark);
                    const SeriesScore each = scored(found.centres, s, markSize);
                    const bool missing = each.missed > 0 || each.twice > 0, wide = each.worst > (scanned ? 0.3 : 0.15);
                    refused += found.centres.empty();
                    incomplete += !found.centres.empty() && missing;
                    extra += each.others > 0;
                    off += !found.centres.empty() && wide;
                    exact += !missing && each.others == 0 && !wide;
                }
            }
            fromEveryMark << QStringLiteral("| %1 | %2 of %3 | %4 | %5 | %6 | %7 |")
                                 .arg(chart.kind)
                                 .arg(exact)
                                 .arg(searches)
                                 .arg(refused)
                                 .arg(incomplete)
                                 .arg(extra)
                                 .arg(off);
        }
    std::printf("\n| chart | searches exact | no example | missed or twice | other finds | worse than the bound |\n"
                "|---|---|---|---|---|---|\n%s\n",
                qPrintable(fromEveryMark.join(QLatin1Char('\n'))));
    std::printf("\n| chart | curve | points | error mean / worst px | ends reached within px |\n|---|---|---|---|---|\n");
    for (const bool scanned : {false, true})
        for (const double width : {1.0, 2.0, 3.0}) {
            const CurveChart chart = crossingCurvesChart(width, scanned);
            const pontiva::PixelBuffer pixels = pixelsOf(chart.picture);
            for (std::size_t c = 0; c < chart.curves.size(); ++c) {
                const std::vector<QPointF> &line = chart.curves[c];
                const QPointF click = line[line.size() / 3] + QPointF(0.7, 1.6);
                const auto trace = pontiva::traceCurve(pixels, {click.x(), click.y()});
                const auto points = pontiva::pointsEvery(trace.path, 10);
                double sum = 0, worst = 0;
                for (const pontiva::PixelPoint p : points) {
                    const double d = distanceTo(line, {p.x, p.y});
                    sum += d;
                    worst = std::max(worst, d);
                }
                double ends = 1e9;
                if (!points.empty()) {
                    auto gap = [&](QPointF end) {
                        return std::min(std::hypot(points.front().x - end.x(), points.front().y - end.y()),
                                        std::hypot(points.back().x - end.x(), points.back().y - end.y()));
                    };
                    ends = std::max(gap(line.front()), gap(line.back()));
                }
                std::printf("| %s | %s | %zu | %.2f / %.2f | %.0f |\n", qPrintable(chart.kind),
                            chart.dashed[c] ? "dashed" : "solid", points.size(), points.empty() ? 0.0 : sum / double(points.size()),
                            worst, ends);
            }
        }
}

// Series of one shape in seven inks (see inkSeriesChart), clean and
// through JPEG 75, searched from each series' second mark: how many
// searches found their series exactly, the marks missed, other finds (other
// inks' marks), the worst error.
void colourAccuracy()
{
    const std::pair<const char *, Shape> shapes[] = {{"discs", Shape::Disc},     {"squares", Shape::Square},
                                                     {"triangles", Shape::Triangle}, {"rings", Shape::Ring},
                                                     {"open squares", Shape::OpenSquare}};
    std::printf("\n| marks | searches exact | missed | other finds | worst px |\n|---|---|---|---|---|\n");
    for (const bool scanned : {false, true})
        for (const auto &[name, shape] : shapes)
            for (const double size : {6.0, 8.0, 14.0}) {
                const SeriesChart chart = inkSeriesChart(shape, size, scanned);
                const pontiva::PixelBuffer pixels = pixelsOf(chart.picture);
                int exact = 0, missed = 0, others = 0;
                double worst = 0;
                for (const SeriesChart::Series &s : chart.series) {
                    const QPointF from = s.marks[1] + QPointF(0.6, -0.5);
                    const auto found = pontiva::findSimilarMarks(pixels, {from.x(), from.y()}, {0, 0, pixels.width, pixels.height});
                    const SeriesScore score = scored(found.centres, s, size);
                    missed += score.missed;
                    others += score.others;
                    worst = std::max(worst, score.worst);
                    exact += score.missed == 0 && score.twice == 0 && score.others == 0 && score.worst <= (scanned ? 0.3 : 0.15);
                }
                std::printf("| %g px %s, %s | %d of %zu | %d | %d | %.2f |\n", size, name, scanned ? "JPEG 75" : "clean", exact,
                            chart.series.size(), missed, others, worst);
            }
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--accuracy") == 0) {
        accuracy();
        colourAccuracy();
        return 0;
    }
    for (const int scale : {1, 6}) {
        std::vector<QPointF> marks;
        const QImage chart = scatter(scale, marks);
        const pontiva::PixelBuffer pixels{chart.constBits(), chart.width(), chart.height(), chart.bytesPerLine(),
                                          pontiva::PixelBuffer::Layout::Xrgb32};
        const pontiva::PixelRect all{0, 0, chart.width(), chart.height()};
        std::size_t found = 0;
        const auto ms = timed(scale == 1 ? 30 : 7, [&] {
            found = pontiva::findSimilarMarks(pixels, {marks[0].x() + 1, marks[0].y()}, all).centres.size();
        });
        char extra[64];
        std::snprintf(extra, sizeof extra, "%zu of %zu marks", found, marks.size());
        report(scale == 1 ? "find marks, 1000 x 750" : "find marks, 6000 x 4500", ms, scale == 1 ? 30 : 500, extra);
    }
    QImage chart(1400, 900, QImage::Format_RGB32);
    chart.fill(QColor(252, 251, 247));
    {
        QPainter p(&chart);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(200, 40, 30), 1.5));
        QPolygonF curve;
        for (double x = 100; x <= 1300; x += 1)
            curve << QPointF(x, 450 + 300 * std::sin(x / 180));
        p.drawPolyline(curve);
    }
    const pontiva::PixelBuffer pixels{chart.constBits(), chart.width(), chart.height(), chart.bytesPerLine(),
                                      pontiva::PixelBuffer::Layout::Xrgb32};
    std::size_t length = 0;
    const auto ms = timed(50, [&] { length = pontiva::traceCurve(pixels, {700.5, 450 + 300 * std::sin(700.5 / 180) + 1}).path.size(); });
    char extra[64];
    std::snprintf(extra, sizeof extra, "%zu centre points", length);
    report("trace a curve across 1200 px", ms, 20, extra);
    return 0;
}

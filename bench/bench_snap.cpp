// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// One snap, timed: the centre of a mark (8, 24 and 64 px) while reading, a
// crossing while calibrating.
#include "snapping/crossingsnap.h"
#include "snapping/marksnap.h"

#include "benchchart.h"
#include "benchstats.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

using bench::Stats;
using bench::summarise;

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // A chart as exported: light grid, black axes, a curve with disc marks.
    const int W = 1800, H = 1200; // the grid spans 100..1500; large marks stand to its right
    QImage chart(W, H, QImage::Format_RGB32);
    chart.fill(QColor(252, 251, 247));
    std::vector<QPointF> marks, crossings;
    {
        QPainter p(&chart);
        p.setRenderHint(QPainter::Antialiasing);
        crossings = bench::drawGrid(p);
        p.setPen(QPen(Qt::black, 1.2));
        p.drawLine(QPointF(100.3, 1100.6), QPointF(1500, 1100.6));
        p.drawLine(QPointF(100.3, 1100.6), QPointF(100.3, 100));
        p.setPen(QPen(QColor(20, 40, 160), 1.2));
        for (int x = 100; x < 1500; ++x)
            p.drawLine(QPointF(x, 600 + 300 * std::sin(x / 200.0)), QPointF(x + 1, 600 + 300 * std::sin((x + 1) / 200.0)));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(20, 40, 160));
        for (int x = 130; x < 1500; x += 45) {
            const QPointF c(x + 0.4, 600 + 300 * std::sin((x + 0.4) / 200.0));
            p.drawEllipse(c, 4, 4);
            marks.push_back(c);
        }
    }
    // Large marks on a line of their own colour, as a retina screenshot or
    // a 300 dpi scan has them.
    std::vector<QPointF> marks24, marks64;
    {
        QPainter p(&chart);
        p.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < 12; ++i) {
            const QPointF c24(1560.3, 150.4 + 80 * i), c64(1700.6 - (i % 2) * 0.3, 140.2 + 80 * i);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(30, 120, 60));
            p.drawEllipse(c24, 12, 12);
            p.setBrush(QColor(160, 30, 30));
            p.drawEllipse(c64, 32, 32);
            marks24.push_back(c24);
            marks64.push_back(c64);
        }
        p.setPen(QPen(QColor(30, 120, 60), 5));
        p.drawLine(QPointF(1560.3, 150.4), QPointF(1560.3, 150.4 + 80 * 11));
    }
    const pontiva::PixelBuffer pixels{chart.constBits(), W, H, chart.bytesPerLine(), pontiva::PixelBuffer::Layout::Xrgb32};

    auto run = [&](const char *what, const std::vector<QPointF> &targets, bool crossing, double goal) {
        std::vector<double> us;
        int found = 0;
        for (int i = 0; i < 20000; ++i) {
            const QPointF t = targets[std::size_t(i) % targets.size()];
            const pontiva::PixelPoint at{t.x() + (i % 7) - 3, t.y() + (i % 5) - 2};
            const auto t0 = Clock::now();
            const auto snapped = crossing ? pontiva::snapToCrossing(pixels, at) : pontiva::snapToMark(pixels, at);
            const auto t1 = Clock::now();
            us.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
            found += snapped.has_value();
        }
        const Stats s = summarise(us);
        std::printf("%-34s median %7.2f us   p99 %7.2f us   max %8.2f us   found %5.1f %%   goal median and p99 <= %.0f us: %s\n",
                    what, s.median, s.p99, s.max, 100.0 * found / double(us.size()), goal,
                    s.median <= goal && s.p99 <= goal ? "met" : "MISSED");
    };
    run("snap to an 8 px mark (reading)", marks, false, 50);
    run("snap to a 24 px mark on its line", marks24, false, 50);
    run("snap to a 64 px mark", marks64, false, 300);
    run("snap to a crossing (calibrating)", crossings, true, 50);
    return 0;
}

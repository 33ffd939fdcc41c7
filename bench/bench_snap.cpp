// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// One snap, timed: the centre of a mark while reading, a crossing while calibrating.
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
    const int W = 1600, H = 1200;
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
    const pontiva::PixelBuffer pixels{chart.constBits(), W, H, chart.bytesPerLine(), pontiva::PixelBuffer::Layout::Xrgb32};

    auto run = [&](const std::vector<QPointF> &targets, bool crossing) {
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
        std::printf("%-30s median %7.2f us   p99 %7.2f us   max %8.2f us   found %5.1f %%   goal median and p99 <= 50 us: %s\n",
                    crossing ? "snap to a crossing (calibrating)" : "snap to a mark (reading)", s.median, s.p99, s.max,
                    100.0 * found / double(us.size()), s.median <= 50 && s.p99 <= 50 ? "met" : "MISSED");
    };
    run(marks, false);
    run(crossings, true);
    return 0;
}

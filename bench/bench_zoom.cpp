// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The zoomed view of a large picture: building its halved copies, a repaint
// at Fit, panning at several zooms, one zoom step; each a viewport-sized
// paint of the real picture panel into an offscreen surface.
//
//   bench_zoom [WIDTHxHEIGHT ...]     (default 8000x6000 20000x15000)
#include "benchstats.h"
#include "benchsupport.h"
#include "picture/prescaledcopies.h"
#include "view/picturepanel.h"
#include "view/zoomsteps.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <cstring>

namespace {

const QSize View(946, 500); // the viewport of the window's layout

QImage makePicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(QColor(250, 247, 238));
    QPainter p(&picture);
    p.setPen(QColor(150, 170, 200));
    for (int x = 0; x < width; x += 80)
        p.drawLine(x, 0, x, height);
    for (int y = 0; y < height; y += 80)
        p.drawLine(0, y, width, y);
    return picture;
}

// One repaint of the viewport's area with the panel at `offset` (its top-left
// in viewport coordinates), in microseconds.
double repaint(PicturePanel &panel, QImage &screen, QPoint offset)
{
    const double t0 = bench::nowMs();
    panel.render(&screen, QPoint(), QRegion(QRect(-offset, View)));
    return (bench::nowMs() - t0) * 1000;
}

void line(const char *what, const std::vector<double> &us)
{
    const bench::Stats s = bench::summarise(us);
    std::printf("  %-34s median %8.2f ms   p99 %8.2f ms\n", what, s.median / 1000, s.p99 / 1000);
}

void measure(int width, int height)
{
    std::printf("%d x %d\n", width, height);
    PicturePanel panel;
    panel.setAutoSize(true);
    panel.setPicture(makePicture(width, height));
    QImage screen(View, QImage::Format_RGB32);

    const long before = bench::vmRssKiB();
    const double t0 = bench::nowMs();
    const auto copies = prescaledCopiesOf(panel.picture());
    const double built = bench::nowMs() - t0;
    long bytes = 0;
    for (const QImage &copy : copies->halves)
        bytes += long(copy.sizeInBytes());
    std::printf("  halved copies: %.0f ms to build, %.1f MiB (%.1f %% of the picture), RSS +%ld MiB\n", built,
                double(bytes) / (1 << 20), 100.0 * double(bytes) / double(panel.picture().sizeInBytes()),
                (bench::vmRssKiB() - before) / 1024);
    panel.setPrescaled(copies);

    const double fit = std::min(double(View.width()) / width, double(View.height()) / height);
    panel.setZoom(fit);
    std::vector<double> us;
    for (int i = 0; i < 50; ++i)
        us.push_back(repaint(panel, screen, {}));
    line("repaint at Fit", us);

    for (const double zoom : {0.125, 0.5, 1.0, 4.0}) {
        panel.setZoom(zoom);
        us.clear();
        const QSize size = panel.size();
        // A drag across the picture, 40 screen pixels a frame.
        for (int i = 0; i < 200; ++i) {
            const int x = std::min(std::max(0, size.width() - View.width()), 40 * i);
            const int y = std::min(std::max(0, size.height() - View.height()), 20 * i);
            us.push_back(repaint(panel, screen, {-x, -y}));
        }
        char what[64];
        std::snprintf(what, sizeof what, "pan at %g, a frame", zoom);
        line(what, us);
    }

    us.clear();
    double zoom = fit;
    for (int i = 0; i < 30; ++i) {
        zoom = nextZoom(zoom, i < 15 ? 1 : -1);
        const double t = bench::nowMs();
        panel.setZoom(zoom);
        repaint(panel, screen, {});
        us.push_back((bench::nowMs() - t) * 1000);
    }
    line("zoom step and its repaint", us);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    std::vector<QSize> sizes;
    for (int i = 1; i < argc; ++i) {
        int w = 0, h = 0;
        if (std::sscanf(argv[i], "%dx%d", &w, &h) == 2 && w > 0 && h > 0)
            sizes.emplace_back(w, h);
    }
    if (sizes.empty())
        sizes = {QSize(8000, 6000), QSize(20000, 15000)};
    for (const QSize &s : sizes)
        measure(s.width(), s.height());
    return 0;
}

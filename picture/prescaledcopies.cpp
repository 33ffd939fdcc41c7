// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Halved copies of a large picture for a zoomed-out view.
#include "picture/prescaledcopies.h"

#include <QtConcurrent/QtConcurrentRun>

namespace {

// Copies stop once the picture would fit a small screen.
constexpr int SmallestSide = 256;

// Each channel the rounded mean of four: a box filter, as area averaging is
// for an exact half.
QImage halved(const QImage &source)
{
    const int width = std::max(1, source.width() / 2), height = std::max(1, source.height() / 2);
    if (source.format() != QImage::Format_RGB32 && source.format() != QImage::Format_ARGB32_Premultiplied)
        return source.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage half(width, height, source.format());
    if (half.isNull())
        return half;
    for (int y = 0; y < height; ++y) {
        const auto *top = reinterpret_cast<const quint32 *>(source.constScanLine(std::min(2 * y, source.height() - 1)));
        const auto *bottom =
            reinterpret_cast<const quint32 *>(source.constScanLine(std::min(2 * y + 1, source.height() - 1)));
        auto *out = reinterpret_cast<quint32 *>(half.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int a = std::min(2 * x, source.width() - 1), b = std::min(2 * x + 1, source.width() - 1);
            const quint32 p = top[a], q = top[b], r = bottom[a], s = bottom[b];
            // Two channels at a time in 64 bits: no carry crosses a channel.
            auto spread = [](quint32 v) { return (quint64(v) | quint64(v) << 24) & 0x00FF00FF00FF00FFull; };
            const quint64 sum = spread(p) + spread(q) + spread(r) + spread(s) + 0x0002000200020002ull;
            const quint64 mean = (sum >> 2) & 0x00FF00FF00FF00FFull;
            out[x] = quint32(mean | mean >> 24);
        }
    }
    return half;
}

} // namespace

std::pair<const QImage *, double> PrescaledCopies::forZoom(const QImage &picture, double zoom) const
{
    const QImage *best = &picture;
    double scale = 1;
    for (const QImage &copy : halves) {
        const double copyScale = double(copy.width()) / picture.width();
        if (copyScale + 1e-12 < zoom)
            break;
        best = &copy;
        scale = copyScale;
    }
    return {best, scale};
}

std::shared_ptr<const PrescaledCopies> prescaledCopiesOf(const QImage &picture)
{
    auto copies = std::make_shared<PrescaledCopies>();
    const QImage *last = &picture;
    while (last->width() > SmallestSide || last->height() > SmallestSide) {
        QImage half = halved(*last);
        if (half.isNull())
            break; // no memory for it: the view paints from what there is
        copies->halves.push_back(std::move(half));
        last = &copies->halves.back();
    }
    return copies;
}

QFuture<std::shared_ptr<const PrescaledCopies>> buildPrescaledCopies(QImage picture)
{
    return QtConcurrent::run([picture = std::move(picture)] { return prescaledCopiesOf(picture); });
}

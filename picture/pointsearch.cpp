// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Finding every mark like one, or tracing a curve, on a worker thread.
#include "picture/pointsearch.h"

#include <QtConcurrent/QtConcurrentRun>

pontiva::PixelBuffer pixelsOfImage(const QImage &picture)
{
    using Layout = pontiva::PixelBuffer::Layout;
    const Layout layout = picture.depth() == 8 ? Layout::Grey8
        : picture.format() == QImage::Format_ARGB32_Premultiplied ? Layout::Argb32Premultiplied
                                                                   : Layout::Xrgb32;
    return {picture.constBits(), picture.width(), picture.height(), picture.bytesPerLine(), layout};
}

PointSearch::PointSearch(QObject *parent)
    : QObject(parent)
{
    connect(&Watcher, &QFutureWatcherBase::finished, this, [this] {
        const QFuture<PointSearchResult> done = Watcher.future();
        if (done.resultCount() > 0)
            emit finished(done.result());
    });
}

// A search still running is told to stop and waited for: it reads the picture.
PointSearch::~PointSearch()
{
    cancel();
    Watcher.waitForFinished();
}

void PointSearch::start(std::function<PointSearchResult(const std::atomic<bool> &)> work)
{
    cancel();
    Watcher.waitForFinished();
    Cancel = std::make_shared<std::atomic<bool>>(false);
    Watcher.setFuture(QtConcurrent::run([work = std::move(work), cancel = Cancel] { return work(*cancel); }));
}

void PointSearch::findMarks(const QImage &picture, pontiva::PixelPoint example, pontiva::PixelRect region)
{
    start([picture, example, region](const std::atomic<bool> &cancel) {
        PointSearchResult r;
        r.marks = pontiva::findSimilarMarks(pixelsOfImage(picture), example, region, {&cancel});
        r.cancelled = r.marks.outcome == pontiva::MarkSearch::Cancelled;
        return r;
    });
}

void PointSearch::traceCurve(const QImage &picture, pontiva::PixelPoint at)
{
    start([picture, at](const std::atomic<bool> &cancel) {
        PointSearchResult r;
        r.kind = PointSearchResult::Curve;
        r.curve = pontiva::traceCurve(pixelsOfImage(picture), at, {&cancel});
        r.cancelled = r.curve.outcome == pontiva::CurveTrace::Cancelled;
        return r;
    });
}

void PointSearch::cancel()
{
    if (Cancel)
        Cancel->store(true);
}

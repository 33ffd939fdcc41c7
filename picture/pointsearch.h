// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Finding every mark like one, or tracing a curve, on a worker thread.
#pragma once

#include "extraction/curvetrace.h"
#include "extraction/similarmarks.h"

#include <QFutureWatcher>
#include <QImage>
#include <QObject>
#include <atomic>
#include <memory>

// The picture's pixels as the core reads them (the image must outlive them).
pontiva::PixelBuffer pixelsOfImage(const QImage &picture);

struct PointSearchResult {
    enum Kind { Marks, Curve } kind = Marks;
    pontiva::MarkSearch marks;
    pontiva::CurveTrace curve;
    bool cancelled = false;
};

// One search at a time, on a copy of the picture (shared, not copied), so
// the window stays live; cancel() stops it soon and it then reports
// `cancelled`.
class PointSearch : public QObject
{
    Q_OBJECT
public:
    explicit PointSearch(QObject *parent = nullptr);
    ~PointSearch() override;

    void findMarks(const QImage &picture, pontiva::PixelPoint example, pontiva::PixelRect region);
    void traceCurve(const QImage &picture, pontiva::PixelPoint at);
    void cancel();
    bool running() const { return Watcher.isRunning(); }

signals:
    void finished(const PointSearchResult &result);

private:
    void start(std::function<PointSearchResult(const std::atomic<bool> &)> work);
    QFutureWatcher<PointSearchResult> Watcher;
    std::shared_ptr<std::atomic<bool>> Cancel;
};

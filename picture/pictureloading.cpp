// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding a picture off the user-interface thread, with feedback when it takes long.
#include "picture/pictureloading.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QIODevice>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace {

constexpr int PollMs = 50;
constexpr int CancelWithinMs = 500;

// Waits in an event loop until the future is done or `ms` have passed.
void waitFor(const QFuture<DecodedPicture> &future, int ms, QEventLoop::ProcessEventsFlags flags)
{
    if (future.isFinished() || ms <= 0)
        return;
    QEventLoop loop;
    QFutureWatcher<DecodedPicture> watcher;
    QObject::connect(&watcher, &QFutureWatcher<DecodedPicture>::finished, &loop, &QEventLoop::quit);
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    watcher.setFuture(future);
    timer.start(ms);
    if (!future.isFinished())
        loop.exec(flags);
}

// Past four fifths, or due within a fifth of a second at the pace so far:
// a progress window would only flash.
bool aboutToEnd(double fraction, qint64 elapsedMs)
{
    if (fraction >= 0.8)
        return true;
    if (fraction <= 0)
        return false;
    const double remainingMs = elapsedMs * (1 - fraction) / fraction;
    return remainingMs < 200;
}

} // namespace

PictureLoading::PictureLoading(ShowProgress show)
    : Show(std::move(show))
    , Pool(new QThreadPool)
{
    Pool->setMaxThreadCount(1);
    useOwnPictureLimits();
}

PictureLoading::~PictureLoading()
{
    // A decoder that is still running was abandoned by a Cancel; at exit the
    // process must not wait for it.
    if (Pool->waitForDone(CancelWithinMs))
        delete Pool;
}

DecodedPicture PictureLoading::decode(std::unique_ptr<QIODevice> device)
{
    if (!device)
        return {{}, PictureProblem::CannotOpen, {}};
    return load(std::make_shared<PictureDecoder>(std::move(device), pictureMemoryBudget()));
}

DecodedPicture PictureLoading::load(std::shared_ptr<LoadJob> decoder)
{
    if (Busy)
        return {{}, PictureProblem::Cancelled, {}};
    Busy = true;
    QFuture<DecodedPicture> future = QtConcurrent::run(Pool, [decoder] { return decoder->run(); });
    QElapsedTimer clock;
    clock.start();

    // Paints and timers go on; clicks and keys wait.
    waitFor(future, ProgressAfterMs, QEventLoop::ExcludeUserInputEvents);
    while (!future.isFinished() && aboutToEnd(decoder->progress(), clock.elapsed()))
        waitFor(future, PollMs, QEventLoop::ExcludeUserInputEvents);

    if (!future.isFinished()) {
        const bool measured = decoder->progressIsMeasured();
        std::unique_ptr<LoadProgress> progress = Show(measured);
        QElapsedTimer shown;
        shown.start();
        // The modal progress keeps clicks off the window; its Cancel must work.
        while (!future.isFinished()) {
            if (measured)
                progress->setProgress(decoder->progress());
            if (progress->cancelled()) {
                decoder->cancel();
                waitFor(future, CancelWithinMs, QEventLoop::ExcludeUserInputEvents);
                Busy = false;
                if (!future.isFinished())
                    return {{}, PictureProblem::Cancelled, {}}; // it frees what it holds when done
                return {{}, PictureProblem::Cancelled, future.result().claimed};
            }
            waitFor(future, PollMs, QEventLoop::AllEvents);
        }
        if (measured)
            progress->setProgress(1);
        const qint64 left = ProgressAtLeastMs - shown.elapsed();
        if (left > 0) {
            QEventLoop pause;
            QTimer::singleShot(int(left), &pause, &QEventLoop::quit);
            pause.exec(QEventLoop::ExcludeUserInputEvents);
        }
    }
    Busy = false;
    return future.result();
}

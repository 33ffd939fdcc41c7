// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding a picture off the user-interface thread, with feedback when it takes long.
#include "ui/pictureopening.h"

#include "ui/userdialogs.h"
#include "view/pictureloader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QIODevice>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

constexpr qint64 ProgressAfterMs = 500;

} // namespace

std::optional<QImage> decodeShowingProgress(std::unique_ptr<QIODevice> device, UserDialogs &dialogs)
{
    static bool loading = false;
    if (!device || loading)
        return std::nullopt;
    loading = true;

    PictureDecoder decoder(std::move(device), pictureMemoryBudget());
    std::optional<QImage> result;
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::thread worker([&] {
        std::optional<QImage> picture = decoder.decode();
        const std::lock_guard<std::mutex> lock(mutex);
        result = std::move(picture);
        done = true;
        finished.notify_one();
    });

    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<LoadProgress> progress;
    bool asked = false;
    std::unique_lock<std::mutex> lock(mutex);
    while (!finished.wait_for(lock, std::chrono::milliseconds(10), [&done] { return done; })) {
        lock.unlock();
        if (!asked && clock.elapsed() >= ProgressAfterMs) {
            asked = true;
            progress = dialogs.showLoadProgress();
        }
        if (progress) {
            progress->setProgress(decoder.progress());
            if (progress->cancelled())
                decoder.cancel();
        }
        // Paints and timers go on; clicks and keys wait until the modal
        // progress, which blocks them from the window, is up.
        QCoreApplication::processEvents(progress ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
        lock.lock();
    }
    lock.unlock();
    worker.join();
    loading = false;
    return result;
}

// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding a picture off the user-interface thread, with feedback when it takes long.
#pragma once

#include "picture/loadprogress.h"
#include "picture/picturedecoder.h"

#include <QThreadPool>

#include <functional>
#include <memory>

class QIODevice;

// One picture at a time is decoded on a worker thread while the window keeps
// repainting; the caller waits in an event loop that holds input back. A load
// still running after half a second, and not about to end, shows a progress
// with Cancel, which then stays up for at least 0.3 s so it never flashes.
// Cancel gives Cancelled within half a second: a decoder that cannot stop so
// soon is left to finish on its own, and frees its memory when it does.
class PictureLoading
{
public:
    // Shows the progress; `measured`: the fraction is real, else it only says busy.
    using ShowProgress = std::function<std::unique_ptr<LoadProgress>(bool measured)>;
    explicit PictureLoading(ShowProgress show);
    ~PictureLoading();
    PictureLoading(const PictureLoading &) = delete;
    PictureLoading &operator=(const PictureLoading &) = delete;

    DecodedPicture decode(std::unique_ptr<QIODevice> device);
    DecodedPicture load(std::shared_ptr<LoadJob> job);
    // A decode is running (a nested request is the caller's to queue).
    bool busy() const { return Busy; }

    static constexpr int ProgressAfterMs = 500;
    static constexpr int ProgressAtLeastMs = 300;

private:
    ShowProgress Show;
    bool Busy = false;
    // Owned but never waited for at exit beyond a moment: see the destructor.
    QThreadPool *Pool;
};

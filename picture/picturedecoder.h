// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding a chart picture, judged by its header and structure before any pixel is allocated.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

class QIODevice;

// Qt's readers refuse anything over 128 MB by default; this program's own
// judge is the limit that counts. Set once for the process, before the first
// picture of any kind (file, drop or paste) is read.
void useOwnPictureLimits();

// The decoded size a picture may take: what the machine has free, less a
// margin for the rest of the desktop.
std::int64_t pictureMemoryBudget();

// Why a picture did not open.
enum class PictureProblem {
    None,
    CannotOpen,  // missing, or not readable by this user
    NotAFile,    // a folder, a named pipe, a device
    NotAPicture, // no reader knows it
    CutShort,    // its data ends before the picture does
    TooLarge,    // it claims more pixels than this computer can hold, or than its file could
    Damaged,     // a reader knows it but cannot decode it
    Cancelled,
    Locked,      // a PDF that needs a password
    NoPages,     // a PDF without a page
};

// A picture in a format that paints fast (RGB32 or premultiplied ARGB32),
// or why there is none.
struct DecodedPicture {
    QImage picture;
    PictureProblem problem = PictureProblem::None;
    QSize claimed; // what the file says it holds, when it says
    explicit operator bool() const { return problem == PictureProblem::None; }
};

// One piece of work that ends in a picture: a decode, a page rendered.
// run() goes on a worker; cancel() and progress() come from the interface.
class LoadJob
{
public:
    virtual ~LoadJob() = default;
    virtual DecodedPicture run() = 0;
    virtual void cancel() = 0;
    // 0 to 1, when progressIsMeasured(); else the window only says busy.
    virtual double progress() const { return 0; }
    virtual bool progressIsMeasured() const { return false; }
};

// One load. The header is read and judged first: a size its file could not
// hold, a peak over the fixed cap or over `budgetBytes`, a JPEG whose data
// ends before its end marker and a BMP shorter than its header promises are
// refused without allocating the picture. The picture is then decoded in
// place, its memory faulted in ahead of the decoder. decode() may run on any
// thread; progress() and cancel() may be called from another meanwhile.
class PictureDecoder : public LoadJob
{
public:
    PictureDecoder(std::unique_ptr<QIODevice> device, std::int64_t budgetBytes);
    ~PictureDecoder();
    PictureDecoder(const PictureDecoder &) = delete;
    PictureDecoder &operator=(const PictureDecoder &) = delete;

    DecodedPicture decode();
    DecodedPicture run() override { return decode(); }
    void cancel() override { Cancelled = true; }
    // 0 to 1: how much of the file the decoder has consumed.
    double progress() const override;
    // Whether that tells how far decoding is: false for formats whose reader
    // takes the whole file first and decodes afterwards.
    bool progressIsMeasured() const override { return Measured; }

private:
    class CountingDevice;
    std::unique_ptr<QIODevice> Device;
    std::int64_t Budget;
    std::atomic<bool> Cancelled{false};
    std::atomic<std::int64_t> Consumed{0};
    // Set by decode(), read by progress() from another thread.
    std::atomic<std::int64_t> Total{0};
    std::atomic<int> Passes{1}; // how often the file is read in all
    std::atomic<bool> Measured{false};
};

// A picture decoded already (this program's own copy on the clipboard),
// judged like any other and put in a format that paints fast.
DecodedPicture acceptDecodedPicture(QImage picture, std::int64_t budgetBytes = pictureMemoryBudget());

DecodedPicture loadPicture(const QString &path, std::int64_t budgetBytes = pictureMemoryBudget());

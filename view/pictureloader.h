// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding a chart picture, judged by its header and structure before any pixel is allocated.
#pragma once

#include <QImage>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

class QIODevice;

// The decoded size a picture may take: what the machine has free, less a
// margin for the rest of the desktop.
std::int64_t pictureMemoryBudget();

// One load. The header is read and judged first: a size its file could not
// hold, a peak over the fixed cap or over `budgetBytes`, a JPEG whose data
// ends before its end marker and a BMP shorter than its header promises are
// refused without allocating the picture. The picture is then decoded in
// place into memory advised for huge pages. decode() may run on any thread;
// progress() and cancel() may be called from another meanwhile.
class PictureDecoder
{
public:
    PictureDecoder(std::unique_ptr<QIODevice> device, std::int64_t budgetBytes);
    ~PictureDecoder();
    PictureDecoder(const PictureDecoder &) = delete;
    PictureDecoder &operator=(const PictureDecoder &) = delete;

    // The picture in a format that paints fast (RGB32 or premultiplied
    // ARGB32), or nothing: refused, undecodable, or cancelled.
    std::optional<QImage> decode();
    void cancel() { Cancelled = true; }
    // 0 to 1: how much of the file the decoder has consumed.
    double progress() const;

private:
    class CountingDevice;
    std::unique_ptr<QIODevice> Device;
    std::int64_t Budget;
    std::atomic<bool> Cancelled{false};
    std::atomic<std::int64_t> Consumed{0};
    // Set by decode(), read by progress() from another thread.
    std::atomic<std::int64_t> Total{0};
    std::atomic<int> Passes{1}; // how often the file is read in all
};

std::optional<QImage> loadPicture(const QString &path, std::int64_t budgetBytes = pictureMemoryBudget());

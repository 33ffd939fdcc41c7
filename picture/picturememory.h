// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Memory for a large decoded picture, backed by huge pages where the system offers them.
#pragma once

#include <QImage>

#include <thread>

// An uninitialised picture of that size and format. Its pixels live in a
// mapping advised for transparent huge pages, which makes the decoder's first
// write into a scan-sized buffer several times cheaper than with 4 KiB pages;
// where that cannot be had, an ordinary QImage. Null when there is no memory.
QImage allocatePicture(QSize size, QImage::Format format);

// Faults the picture's pages in on another thread while the decoder fills it
// from the top, so the kernel's zeroing of fresh pages leaves the decoding
// thread. The contents are never touched, so the two may overlap freely.
// Joins when destroyed; does nothing where the system cannot populate.
class BackgroundPrefault
{
public:
    explicit BackgroundPrefault(const QImage &picture);
    ~BackgroundPrefault();
    BackgroundPrefault(const BackgroundPrefault &) = delete;
    BackgroundPrefault &operator=(const BackgroundPrefault &) = delete;

private:
    std::thread Worker;
};

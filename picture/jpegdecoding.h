// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// JPEG decoded by libjpeg-turbo straight into the picture's own pixel format.
#pragma once

#include <QImage>

#include <atomic>

class QIODevice;

enum class JpegDecoding {
    Done,
    NotHandled, // a colour model (CMYK, YCCK) this path does not take: the device is back where it was
    Damaged,    // the data is corrupt or ends before the picture does
    Cancelled,
};

// Decodes the JPEG read from `device` into `picture`, which must already have
// the file's size and be Format_RGB32 (colour) or Format_Grayscale8 (grey).
// Qt's own reader decodes to 24-bit rows and converts each to 32 bits; here
// libjpeg writes the 32-bit rows itself, which saves a tenth of the time of a
// large scan. `cancelled` is checked at every row.
JpegDecoding decodeJpegInto(QIODevice &device, QImage &picture, const std::atomic<bool> &cancelled);

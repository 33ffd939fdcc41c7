// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What names a picture's content, so that its calibration can be found again.
#pragma once

#include <QByteArray>
#include <QFuture>
#include <QImage>

#include <cstdint>
#include <optional>

// The hash of a file's bytes, read off the interface thread; nothing when
// the file cannot be read (it may have gone since it was decoded).
// `part` tells apart pictures made from one file (the pages of a PDF and
// their resolutions).
QFuture<std::optional<std::uint64_t>> fileContentKey(const QByteArray &nativePath, const QByteArray &part = {});
// The hash of bytes at hand (a picture pasted as a PNG, say).
std::uint64_t bytesContentKey(const QByteArray &bytes);
// The hash of a picture's pixels, for a picture pasted already decoded.
std::uint64_t pixelsContentKey(const QImage &picture);

// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What a picture file of each format really holds, read from its own headers before any decoder sees it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

namespace pontiva {

// Reads up to `size` bytes at `offset` into `buffer`; how many it read (0 past the end).
using ReadAt = std::function<std::size_t(std::int64_t offset, std::uint8_t *buffer, std::size_t size)>;

struct PictureFacts {
    bool known = false;    // the headers were understood
    bool complete = true;  // every byte the structure promises is in the file
    // The largest picture the decoder will make of it: an icon's biggest
    // image, a GIF's screen or first frame, whichever is larger.
    std::int64_t width = 0, height = 0;
    // At most this many pixels for each byte of file, with a margin over the
    // format's honest bound; 0 where the format has none worth having.
    std::int64_t pixelsPerByte = 0;
    // What the decoder holds on top of the finished picture, per pixel (a
    // strip buffer, an animation's canvas).
    int workBytesPerPixel = 0;
    // The reader decodes into the buffer it is handed.
    bool decodesInPlace = false;
};

// `format` is the name Qt's readers give it ("png", "gif", "ico", ...).
// Formats this does not know come back not `known`; JPEG is walked on its
// own (jpegstructure.h), BMP read by bmpheader.h.
PictureFacts examinePicture(std::string_view format, const ReadAt &read, std::int64_t fileSize);

} // namespace pontiva

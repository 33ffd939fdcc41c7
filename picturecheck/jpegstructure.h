// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Walks a JPEG file's markers from start of image to end of image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace pontiva {

// Fills `buffer` with up to `size` bytes and returns how many; 0 at the end.
using ReadBytes = std::function<std::size_t(std::uint8_t *buffer, std::size_t size)>;

struct JpegStructure {
    // The file's markers parse from SOI to EOI; bytes after EOI are ignored.
    bool complete = false;
    // Arithmetic-coded or lossless frame: no per-block cost can be counted on.
    bool blockCostUnknown = false;
    int width = 0;
    int height = 0;
};

// Reads the whole file once, sequentially. A file whose data ends before its
// end-of-image marker is not complete: decoders show such a file with a grey
// lower part and only warn.
JpegStructure walkJpeg(const ReadBytes &read);

} // namespace pontiva

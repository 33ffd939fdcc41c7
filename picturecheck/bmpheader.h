// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What a BMP file's headers promise: its size and how many bytes must follow.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pontiva {

struct BmpHeader {
    bool valid = false;
    std::int64_t width = 0;
    std::int64_t height = 0; // rows, whatever their order
    // Run-length coded: a few bytes may honestly stand for any number of pixels.
    bool runLength = false;
    // The file must be at least this long for every row to be there.
    std::int64_t requiredBytes = 0;
};

// `data` holds the file's first bytes (54 are enough for every common kind).
BmpHeader readBmpHeader(const std::uint8_t *data, std::size_t size);

} // namespace pontiva

// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Whether a picture's claimed size is one its file could hold and this program could show.
#pragma once

#include <cstdint>

namespace pontiva {

enum class PictureCoding {
    HuffmanJpeg,  // every 8 x 8 block of the first component costs at least one bit
    Png,          // deflate expands at most 1032 times; a pixel takes at least one bit
    Uncompressed, // the file holds every row (checked against its header)
    Bounded,      // at most `pixelsPerByte` pixels for every byte of the file
    Unbounded,    // run-length BMP, arithmetic JPEG: no honest per-byte bound
};

// The largest peak a load may need: a 20000 x 15000 colour scan (1.2 GB)
// fits, a 30000 x 30000 one (3.6 GB) does not.
inline constexpr std::int64_t MaximumPeakBytes = std::int64_t(2) << 30;

struct PictureClaim {
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t fileBytes = 0;
    PictureCoding coding = PictureCoding::Unbounded;
    std::int64_t pixelsPerByte = 0; // for Bounded
    // What the decoder holds at its peak per pixel: the decoded picture,
    // plus the converted copy when it is not already in display format.
    int peakBytesPerPixel = 4;
};

enum class Verdict { Plausible, Empty, MoreThanTheFileHolds, OverTheCap, OverTheBudget };

// `budgetBytes` is what the machine can spare now; the cap and the file's
// own bound hold whatever the machine has.
Verdict judgeClaim(const PictureClaim &claim, std::int64_t budgetBytes);

} // namespace pontiva

// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Whether a picture's claimed size is one its file could hold and this program could show.
#include "picturecheck/plausibility.h"

namespace pontiva {

namespace {

// Pixels one byte of file can stand for at most, with a margin of two over
// the honest bound: a Huffman-coded block of 64 pixels costs at least one
// bit (512 pixels a byte); a byte of deflate output yields at most 1032
// bytes, of at most 8 one-bit pixels each.
constexpr std::int64_t HuffmanJpegPixelsPerByte = 2 * 512;
constexpr std::int64_t PngPixelsPerByte = 2 * 1032 * 8;

// Beyond any picture a person could scroll through; keeps the products below
// from overflowing.
constexpr std::int64_t MaximumSide = 1 << 20;

} // namespace

Verdict judgeClaim(const PictureClaim &c, std::int64_t budgetBytes)
{
    if (c.width <= 0 || c.height <= 0)
        return Verdict::Empty;
    if (c.width > MaximumSide || c.height > MaximumSide)
        return Verdict::OverTheCap;
    const std::int64_t pixels = c.width * c.height;
    const std::int64_t bytes = c.fileBytes < 0 ? 0 : c.fileBytes;
    switch (c.coding) {
    case PictureCoding::HuffmanJpeg:
        if (pixels / HuffmanJpegPixelsPerByte > bytes)
            return Verdict::MoreThanTheFileHolds;
        break;
    case PictureCoding::Png:
        if (pixels / PngPixelsPerByte > bytes)
            return Verdict::MoreThanTheFileHolds;
        break;
    case PictureCoding::Bounded:
        if (c.pixelsPerByte > 0 && pixels / c.pixelsPerByte > bytes)
            return Verdict::MoreThanTheFileHolds;
        break;
    case PictureCoding::Uncompressed:
    case PictureCoding::Unbounded:
        break;
    }
    const std::int64_t peak = pixels * (c.peakBytesPerPixel < 1 ? 1 : c.peakBytesPerPixel);
    if (peak > MaximumPeakBytes)
        return Verdict::OverTheCap;
    if (peak > budgetBytes)
        return Verdict::OverTheBudget;
    return Verdict::Plausible;
}

} // namespace pontiva

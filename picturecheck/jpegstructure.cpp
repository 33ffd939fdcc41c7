// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Walks a JPEG file's markers from start of image to end of image.
#include "picturecheck/jpegstructure.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace pontiva {

namespace {

// Sequential bytes through a fixed buffer; -1 at the end.
class ByteReader
{
public:
    explicit ByteReader(const ReadBytes &read) : Read(read) {}

    int next()
    {
        if (Pos == Filled && !refill())
            return -1;
        return Buffer[Pos++];
    }
    bool skip(std::size_t count)
    {
        while (count > 0) {
            if (Pos == Filled && !refill())
                return false;
            const std::size_t step = std::min(count, Filled - Pos);
            Pos += step;
            count -= step;
        }
        return true;
    }
    int word()
    {
        const int high = next();
        const int low = next();
        return high < 0 || low < 0 ? -1 : high << 8 | low;
    }
    // Entropy-coded data: everything up to the next marker that is not a
    // restart. Returns that marker's code, or -1 at the end of the file.
    int skipEntropyData()
    {
        for (;;) {
            if (Pos == Filled && !refill())
                return -1;
            const std::uint8_t *start = Buffer.data() + Pos;
            const std::uint8_t *ff = static_cast<const std::uint8_t *>(std::memchr(start, 0xFF, Filled - Pos));
            if (!ff) {
                Pos = Filled;
                continue;
            }
            Pos += std::size_t(ff - start) + 1;
            int code = next();
            while (code == 0xFF)
                code = next(); // fill bytes
            if (code < 0)
                return -1;
            if (code == 0x00 || (code >= 0xD0 && code <= 0xD7))
                continue; // a stuffed 0xFF byte, or a restart marker
            return code;
        }
    }

private:
    bool refill()
    {
        Filled = Read(Buffer.data(), Buffer.size());
        Pos = 0;
        return Filled > 0;
    }

    const ReadBytes &Read;
    std::array<std::uint8_t, 64 * 1024> Buffer{};
    std::size_t Pos = 0;
    std::size_t Filled = 0;
};

bool isStartOfFrame(int code)
{
    return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
}

} // namespace

JpegStructure walkJpeg(const ReadBytes &read)
{
    JpegStructure result;
    ByteReader in(read);
    if (in.next() != 0xFF || in.next() != 0xD8)
        return result;
    int code = -1; // a marker code already read, from the end of entropy data
    for (;;) {
        if (code < 0) {
            if (in.next() != 0xFF)
                return result; // garbage where a marker belongs
            code = in.next();
            while (code == 0xFF)
                code = in.next();
            if (code < 0)
                return result;
        }
        const int marker = code;
        code = -1;
        if (marker == 0xD9) {
            result.complete = true;
            return result;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue; // no payload
        const int length = in.word();
        if (length < 2)
            return result;
        std::size_t rest = std::size_t(length - 2);
        if (isStartOfFrame(marker)) {
            // Baseline, extended and progressive Huffman frames (C0..C2) code
            // every block; lossless and arithmetic frames need not.
            result.blockCostUnknown = !(marker == 0xC0 || marker == 0xC1 || marker == 0xC2);
            if (rest < 5)
                return result;
            in.next(); // sample precision
            const int height = in.word();
            const int width = in.word();
            if (height < 0 || width < 0)
                return result; // the file ends inside the frame header
            result.height = height;
            result.width = width;
            rest -= 5;
        }
        if (!in.skip(rest))
            return result;
        if (marker == 0xDA) {
            code = in.skipEntropyData();
            if (code < 0)
                return result; // the scan's data ends with the file
        }
    }
}

} // namespace pontiva

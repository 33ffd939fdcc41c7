// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What a BMP file's headers promise: its size and how many bytes must follow.
#include "picturecheck/bmpheader.h"

#include <climits>

namespace pontiva {

namespace {

std::int64_t le16(const std::uint8_t *p)
{
    return std::int64_t(p[0]) | std::int64_t(p[1]) << 8;
}

std::int64_t le32(const std::uint8_t *p)
{
    return std::int64_t(std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16
                        | std::uint32_t(p[3]) << 24);
}

std::int64_t signed32(const std::uint8_t *p)
{
    return std::int64_t(std::int32_t(std::uint32_t(le32(p))));
}

constexpr std::int64_t RleEight = 1, RleFour = 2;

} // namespace

BmpHeader readBmpHeader(const std::uint8_t *data, std::size_t size)
{
    BmpHeader h;
    if (size < 26 || data[0] != 'B' || data[1] != 'M')
        return h;
    const std::int64_t pixelOffset = le32(data + 10);
    const std::int64_t infoSize = le32(data + 14);
    std::int64_t bitCount = 0, compression = 0, imageSize = 0;
    if (infoSize == 12) { // the old OS/2 header: 16-bit sizes
        h.width = le16(data + 18);
        h.height = le16(data + 20);
        bitCount = le16(data + 24);
    } else if (infoSize >= 40 && size >= 54) {
        h.width = signed32(data + 18);
        h.height = signed32(data + 22);
        bitCount = le16(data + 28);
        compression = le32(data + 30);
        imageSize = le32(data + 34);
        if (h.height < 0)
            h.height = -h.height; // top-down rows
    } else {
        return h;
    }
    if (h.width <= 0 || h.height <= 0 || bitCount <= 0 || bitCount > 32)
        return h;
    h.runLength = compression == RleEight || compression == RleFour;
    if (h.runLength) {
        h.requiredBytes = pixelOffset + imageSize;
    } else {
        const std::int64_t stride = (h.width * bitCount + 31) / 32 * 4;
        // Headers may claim 2^31 by 2^31: such a file could never be long enough.
        const std::int64_t most = INT64_MAX - pixelOffset;
        h.requiredBytes = stride > most / h.height ? INT64_MAX : pixelOffset + stride * h.height;
    }
    h.valid = true;
    return h;
}

} // namespace pontiva

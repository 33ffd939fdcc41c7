// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The checks that run on a picture file before any decoder: any bytes at all.
#include "picturecheck/bmpheader.h"
#include "picturecheck/jpegstructure.h"
#include "picturecheck/plausibility.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace pontiva;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The walk reads in pieces whose sizes the input also chooses.
    std::size_t pos = 0;
    const std::size_t piece = size ? 1 + data[0] % 97 : 1;
    const JpegStructure jpeg = walkJpeg([&](std::uint8_t *buffer, std::size_t wanted) {
        const std::size_t n = std::min({wanted, piece, size - pos});
        std::memcpy(buffer, data + pos, n);
        pos += n;
        return n;
    });
    if (jpeg.width < 0 || jpeg.height < 0 || jpeg.width > 65535 || jpeg.height > 65535)
        std::abort();
    const BmpHeader bmp = readBmpHeader(data, size);
    if (bmp.valid && (bmp.width <= 0 || bmp.height <= 0))
        std::abort();
    const PictureClaim claim{bmp.width, bmp.height, std::int64_t(size), PictureCoding(size % 4), int(size % 9)};
    (void)judgeClaim(claim, std::int64_t(1) << 40);
    return 0;
}

// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Finding marks and tracing curves on random pictures from random places:
// no read outside the buffer (the sanitizer sees to that), every point
// found on the picture, and nothing past the cap.
#include "extraction/curvetrace.h"
#include "extraction/similarmarks.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace pontiva;

namespace {

void inside(PixelPoint p, int width, int height)
{
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || p.x < 0 || p.y < 0 || p.x > width || p.y > height)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 16)
        return 0;
    const int width = 1 + data[0] % 160;
    const int height = 1 + data[1] % 160;
    const bool grey = data[2] & 1;
    const bool alpha = !grey && (data[2] & 0x80);
    const int padding = data[2] >> 1 & 7;
    const PixelPoint at{double(data[3]) - 40 + data[4] / 256.0, double(data[5]) - 40 + data[6] / 256.0};
    // A region that may lie partly or wholly off the picture, or be empty.
    const PixelRect region{int(data[7]) - 64, int(data[8]) - 64, int(data[9]) - 64 + data[10], int(data[11]) - 64 + data[12]};
    data += 13;
    size -= 13;
    const int bytesPerPixel = grey ? 1 : 4;
    const std::ptrdiff_t stride = std::ptrdiff_t(width) * bytesPerPixel + padding;
    std::vector<std::uint8_t> pixels(std::size_t(stride) * std::size_t(height - 1) + std::size_t(width * bytesPerPixel));
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = data[i % size];
    const PixelBuffer picture{pixels.data(), width, height, stride,
                              grey    ? PixelBuffer::Layout::Grey8
                              : alpha ? PixelBuffer::Layout::Argb32Premultiplied
                                      : PixelBuffer::Layout::Xrgb32};
    const MarkSearch marks = findSimilarMarks(picture, at, region, {nullptr, 50});
    if (marks.centres.size() > 50)
        std::abort();
    for (const PixelPoint p : marks.centres)
        inside(p, width, height);
    const CurveTrace curve = traceCurve(picture, at);
    for (const PixelPoint p : curve.path)
        inside(p, width, height);
    for (const PixelPoint p : pointsEvery(curve.path, 1 + data[0] % 20))
        inside(p, width, height);
    return 0;
}

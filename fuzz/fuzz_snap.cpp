// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Snapping on random pictures at random positions: no read outside the
// buffer (the sanitizer sees to that), an answer near the position or none.
#include "snapping/crossingsnap.h"
#include "snapping/marksnap.h"
#include "snapping/snapwindow.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace pontiva;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 12)
        return 0;
    // Up to 128 px: room for the wide looks, large and hollow marks.
    const int width = 1 + data[0] % 128;
    const int height = 1 + data[1] % 128;
    const bool grey = data[2] & 1;
    const bool alpha = !grey && (data[2] & 0x80); // premultiplied, read over white
    const int padding = data[2] >> 1 & 7; // extra bytes at the end of each row
    float fx = 0, fy = 0;
    std::memcpy(&fx, data + 3, 4);
    std::memcpy(&fy, data + 7, 4);
    data += 11;
    size -= 11;
    const int bytesPerPixel = grey ? 1 : 4;
    const std::ptrdiff_t stride = std::ptrdiff_t(width) * bytesPerPixel + padding;
    // Exactly the picture's bytes, so that any read past them is caught.
    std::vector<std::uint8_t> pixels(std::size_t(stride) * std::size_t(height - 1) + std::size_t(width * bytesPerPixel));
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = size ? data[i % size] : 0;
    const PixelBuffer picture{pixels.data(), width, height, stride,
                              grey    ? PixelBuffer::Layout::Grey8
                              : alpha ? PixelBuffer::Layout::Argb32Premultiplied
                                      : PixelBuffer::Layout::Xrgb32};
    // Positions in and around the picture, and some absurd ones.
    const PixelPoint at{std::isfinite(fx) ? std::fmod(double(fx), 160.0) : double(fx),
                        std::isfinite(fy) ? std::fmod(double(fy), 160.0) : double(fy)};
    for (const auto &found : {snapToMark(picture, at), snapToCrossing(picture, at)}) {
        if (!found)
            continue;
        if (!std::isfinite(found->x) || !std::isfinite(found->y))
            std::abort();
        // Never far from where it was asked (a large hollow mark's centre
        // may lie its radius away), nor off the picture.
        if (std::hypot(found->x - at.x, found->y - at.y) > SnapRadius + 2 * SnapWindow::MaxRadius + 1e-6)
            std::abort();
        if (found->x < 0 || found->y < 0 || found->x > width || found->y > height)
            std::abort();
    }
    return 0;
}

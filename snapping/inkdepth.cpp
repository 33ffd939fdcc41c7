// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// How deep inside the ink each pixel of a snap window lies.
#include "snapping/inkdepth.h"

#include <algorithm>

namespace pontiva {

void InkDepth::measure(const SnapWindow &w, float level)
{
    constexpr int Straight = 3, Diagonal = 4, Far = 10000;
    const int W = w.width(), H = w.height();
    // Only the window and its border of paper are ever read.
    for (int y = -1; y <= H; ++y)
        std::fill_n(Depth.begin() + std::ptrdiff_t(index(-1, y)), W + 2, std::int16_t(0));
    std::int16_t *d = Depth.data();
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            if (w.dark(x, y) < level)
                continue;
            const std::size_t i = index(x, y);
            d[i] = std::int16_t(std::min({Far, d[i - 1] + Straight, d[i - Padded] + Straight, d[i - Padded - 1] + Diagonal,
                                          d[i - Padded + 1] + Diagonal}));
        }
    for (int y = H - 1; y >= 0; --y)
        for (int x = W - 1; x >= 0; --x) {
            const std::size_t i = index(x, y);
            if (d[i])
                d[i] = std::int16_t(std::min({int(d[i]), d[i + 1] + Straight, d[i + Padded] + Straight,
                                              d[i + Padded + 1] + Diagonal, d[i + Padded - 1] + Diagonal}));
        }
}

} // namespace pontiva

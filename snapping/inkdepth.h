// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// How deep inside the ink each pixel of a snap window lies.
#pragma once

#include "snapping/snapwindow.h"

#include <array>
#include <cstdint>

namespace pontiva {

// Distance from each pixel at least `level` dark to the nearest lighter
// one, in thirds of a pixel (chamfer: 3 along a row, 4 along a diagonal);
// 0 on paper. Outside the window counts as paper, and reads as 0 one pixel
// beyond each edge, so neighbour look-ups need no bounds check; nothing
// further out may be read.
class InkDepth
{
public:
    void measure(const SnapWindow &w, float level = 0.5f);
    int operator()(int x, int y) const { return Depth[index(x, y)]; }

private:
    static constexpr int Padded = SnapWindow::MaxSide + 2;
    static std::size_t index(int x, int y) { return std::size_t((y + 1) * Padded + x + 1); }
    std::array<std::int16_t, Padded * Padded> Depth; // only the window's part and its border are written
};

} // namespace pontiva

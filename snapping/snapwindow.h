// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The square of pixels around a position, as ink darkness from 0 (paper) to 1 (ink).
#pragma once

#include "snapping/pixelbuffer.h"

#include <array>
#include <cmath>

namespace pontiva {

// Darkness is luminance scaled between the window's own paper and ink
// levels, so a grey scan and a crisp export look alike. Empty when the window
// has no contrast to speak of (a blank area, a solid block, a flat tint).
class SnapWindow
{
public:
    static constexpr int MaxRadius = 40;
    static constexpr int MaxSide = 2 * MaxRadius + 1;

    // The pixels within `radius` of the pixel holding `at`, clipped to the picture.
    SnapWindow(const PixelBuffer &picture, PixelPoint at, int radius);

    bool empty() const { return Width == 0 || Height == 0 || !Contrast; }
    int width() const { return Width; }
    int height() const { return Height; }
    // Picture coordinates of the window's first pixel.
    int left() const { return Left; }
    int top() const { return Top; }
    float dark(int x, int y) const { return Dark[std::size_t(y * MaxSide + x)]; }
    // Darkness anywhere, bilinear between pixel centres (window coordinates,
    // continuous); outside the window is paper.
    double darkBetween(double x, double y) const
    {
        const double fx = x - 0.5, fy = y - 0.5;
        if (!(fx > -2 && fy > -2 && fx < Width + 1 && fy < Height + 1))
            return 0; // far outside, or not a number
        const int x0 = int(std::floor(fx)), y0 = int(std::floor(fy));
        const double ax = fx - x0, ay = fy - y0;
        if (x0 >= 0 && y0 >= 0 && x0 + 1 < Width && y0 + 1 < Height) { // the usual case: all four inside
            const float *p = Dark.data() + y0 * MaxSide + x0;
            return (1 - ay) * ((1 - ax) * p[0] + ax * p[1]) + ay * ((1 - ax) * p[MaxSide] + ax * p[MaxSide + 1]);
        }
        auto pick = [this](int px, int py) -> double {
            return px < 0 || py < 0 || px >= Width || py >= Height ? 0.0 : Dark[std::size_t(py * MaxSide + px)];
        };
        return (1 - ay) * ((1 - ax) * pick(x0, y0) + ax * pick(x0 + 1, y0))
            + ay * ((1 - ax) * pick(x0, y0 + 1) + ax * pick(x0 + 1, y0 + 1));
    }
    // Share of the window darker than half way: noise and solid areas are high.
    double inkShare() const { return InkShare; }
    // The same window with `level` taken as full ink: faint lines (a light
    // grey grid beside a black axis) become as dark as the axis.
    SnapWindow emphasised(float level) const;

private:
    SnapWindow() = default;
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool Contrast = false;
    double InkShare = 0;
    std::array<float, MaxSide * MaxSide> Dark; // only the window's part is written and read
};

} // namespace pontiva

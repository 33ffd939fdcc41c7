// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The square of pixels around a position, as ink darkness from 0 (paper) to 1 (ink).
#pragma once

#include "snapping/pixelbuffer.h"

#include <array>
#include <cmath>

namespace pontiva {

// Where a window lies and what was measured of it, apart from its pixels.
struct SnapWindowFrame {
    // Whether the picture goes on beyond each side: there a bilinear
    // look-up within half a pixel of the side blends in paper that is not
    // there. (Beyond the picture's own edge, paper is what there is.)
    struct Sides {
        bool left = false, top = false, right = false, bottom = false;
    };
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool Contrast = false;
    Sides Cut;
    double InkShare = 0;
    double InnerRight = -1, InnerBottom = -1; // where a bilinear look-up still has all four pixels
};

// Darkness is luminance scaled between the window's own paper and ink
// levels, so a grey scan and a crisp export look alike. Empty when the window
// has no contrast to speak of (a blank area, a solid block, a flat tint).
class SnapWindow : private SnapWindowFrame
{
public:
    using SnapWindowFrame::Sides;
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
        if (fx >= 0 && fy >= 0 && fx < InnerRight && fy < InnerBottom) { // the usual case: all four inside
            const int x0 = int(fx), y0 = int(fy);
            const double ax = fx - x0, ay = fy - y0;
            const float *p = Dark.data() + y0 * MaxSide + x0;
            return (1 - ay) * ((1 - ax) * p[0] + ax * p[1]) + ay * ((1 - ax) * p[MaxSide] + ax * p[MaxSide + 1]);
        }
        return darkAtEdge(fx, fy);
    }
    Sides cut() const { return Cut; }
    // Share of the window darker than half way: noise and solid areas are high.
    double inkShare() const { return InkShare; }
    // The same window with `level` taken as full ink: faint lines (a light
    // grey grid beside a black axis) become as dark as the axis.
    SnapWindow emphasised(float level) const;

private:
    SnapWindow() = default;
    double darkAtEdge(double fx, double fy) const;
    std::array<float, MaxSide * MaxSide> Dark; // only the window's part is written and read
};

} // namespace pontiva

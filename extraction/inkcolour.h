// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// How much a pixel looks like one ink on one paper, by its colour.
#pragma once

#include "snapping/pixelbuffer.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace pontiva {

struct Rgb {
    float r = 255, g = 255, b = 255;
};

// A pixel as shown: a premultiplied one composed over white.
Rgb colourAt(const PixelBuffer &picture, int x, int y);

// A rectangle of whole pixels, [left, right) x [top, bottom).
struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
};
PixelRect clippedTo(const PixelRect &r, const PixelBuffer &picture);

// The colour most of `area` has: per channel, the median of a sparse sample.
Rgb paperOf(const PixelBuffer &picture, const PixelRect &area);

// How far a colour lies from paper towards one ink, 0 to 1; a colour off
// that way (another series' colour) is 0, so a red mark is not a blue one
// and a black axis is not a red curve. Shades of one ink (anti-aliased
// edges, a scan's grey) keep their share.
class InkMatch
{
public:
    InkMatch() = default;
    // Colours up to `deepest` times as far from paper the same way count
    // as the ink itself: the mean of a mark's middle a few pixels across
    // is paler than its core. `forJpegMarks`: each pixel's share of the
    // ink is taken by its brightness, and a coloured ink's pixels may
    // stray twice as far in colour (JPEG keeps brightness at every pixel
    // but colour only at every other, and that strays most at a mark's
    // edge), for a search that tells colours apart otherwise (marks, by
    // the ink summed round them).
    InkMatch(Rgb paper, Rgb ink, float deepest = 1, bool forJpegMarks = false);
    bool usable() const { return Usable; }
    // How far `c` lies from paper towards the ink, in the ink's own steps.
    float along(Rgb c) const;
    float operator()(Rgb c) const { return matchOf(c, nullptr); }
    // The same, and whether `c` is ink, but another one: well off the
    // paper and not this colour (a black grid line across a purple mark).
    float matchOf(Rgb c, bool *foreign) const;
    float at(const PixelBuffer &picture, int x, int y) const { return (*this)(colourAt(picture, x, y)); }

private:
    static float luma(Rgb c);
    Rgb Paper, Axis; // Axis: ink minus paper
    float LumaPaper = 0, LumaAxis = 0; // LumaAxis: 0 where brightness tells ink from paper too little
    float AxisLength2 = 0, OffAxis2 = 0, Deepest = 1;
    bool Usable = false;
};

// `match` of every pixel of `area`, as 0 to 255, row after row. A stroke
// of another ink at most two pixels wide with this ink on both sides (a
// grid line across a mark) takes the lesser of the two sides' match: it
// would split the mark in two.
struct MatchMap {
    PixelRect area;
    std::vector<std::uint8_t> level;
    int operator()(int x, int y) const { return level[std::size_t((y - area.top) * area.width() + (x - area.left))]; }
    bool inside(int x, int y) const { return x >= area.left && y >= area.top && x < area.right && y < area.bottom; }
    // Bilinear between pixel centres, picture coordinates; 0 outside.
    // (Inline: outlines are traced by millions of samples a search.)
    double between(double x, double y) const
    {
        const double fx = x - 0.5, fy = y - 0.5;
        if (!(fx > area.left - 2 && fy > area.top - 2 && fx < area.right + 1 && fy < area.bottom + 1))
            return 0;
        const int x0 = int(std::floor(fx)), y0 = int(std::floor(fy));
        const double ax = fx - x0, ay = fy - y0;
        if (x0 < area.left || y0 < area.top || x0 + 1 >= area.right || y0 + 1 >= area.bottom)
            return betweenAtEdge(x0, y0, ax, ay);
        return fourPixels(x0, y0, ax, ay);
    }

    // Whether every point within `r` of (x, y) reads four pixels of the map.
    bool allInside(double x, double y, double r) const
    {
        return x - r - 0.5 >= area.left && y - r - 0.5 >= area.top && x + r < area.right - 0.5
            && y + r < area.bottom - 0.5;
    }
    // between() where allInside() holds: nothing to check, and truncation
    // is the floor of a coordinate that is not negative.
    double betweenInside(double x, double y) const
    {
        const double fx = x - 0.5, fy = y - 0.5;
        const int x0 = int(fx), y0 = int(fy);
        return fourPixels(x0, y0, fx - x0, fy - y0);
    }

private:
    // The four pixels from (x0, y0), all in the map, weighed.
    double fourPixels(int x0, int y0, double ax, double ay) const
    {
        const std::size_t width = std::size_t(area.width());
        const std::uint8_t *row = level.data() + std::size_t(y0 - area.top) * width + std::size_t(x0 - area.left);
        const double v00 = row[0], v10 = row[1], v01 = row[width], v11 = row[width + 1];
        return ((1 - ay) * ((1 - ax) * v00 + ax * v10) + ay * ((1 - ax) * v01 + ax * v11)) / 255.0;
    }
    // Where some of the four pixels lie outside the map (taken as 0).
    double betweenAtEdge(int x0, int y0, double ax, double ay) const;
};
MatchMap matchMap(const PixelBuffer &picture, const PixelRect &area, const InkMatch &match);

// Takes each pixel along a light grid line (this ink's hue, too pale to be
// ink, running on between paper), and across the gaps marks leave in it,
// as its share of ink over the line rather than over paper: a filled
// mark's edge on the line is not pushed out. (Not for hollow marks filled
// with paper, whose hole the line does not cross.)
void overFaintLines(MatchMap &m);

} // namespace pontiva

// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The square of pixels around a position, as ink darkness from 0 (paper) to 1 (ink).
#include "snapping/snapwindow.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace pontiva {

namespace {

// Below this difference between paper and ink (of 255) there is nothing to snap to.
constexpr int MinimumContrast = 48;

} // namespace

SnapWindow::SnapWindow(const PixelBuffer &picture, PixelPoint at, int radius)
{
    radius = std::clamp(radius, 0, MaxRadius);
    if (!picture.data || picture.width <= 0 || picture.height <= 0 || !std::isfinite(at.x) || !std::isfinite(at.y))
        return;
    const double cx = std::clamp(std::floor(at.x), -1e9, 1e9);
    const double cy = std::clamp(std::floor(at.y), -1e9, 1e9);
    const int x0 = int(std::max(0.0, cx - radius));
    const int y0 = int(std::max(0.0, cy - radius));
    const int x1 = int(std::min(double(picture.width) - 1, cx + radius));
    const int y1 = int(std::min(double(picture.height) - 1, cy + radius));
    if (x0 > x1 || y0 > y1)
        return; // the position is far outside the picture
    Left = x0;
    Top = y0;
    Width = x1 - x0 + 1;
    Height = y1 - y0 + 1;
    Cut = {x0 > 0, y0 > 0, x1 < picture.width - 1, y1 < picture.height - 1};

    int histogram[256] = {};
    std::array<std::uint8_t, MaxSide * MaxSide> level; // only the window's part is written and read
    for (int y = 0; y < Height; ++y) {
        const std::uint8_t *row = picture.data + std::ptrdiff_t(y0 + y) * picture.stride;
        std::uint8_t *out = level.data() + y * MaxSide;
        if (picture.layout == PixelBuffer::Layout::Grey8) {
            for (int x = 0; x < Width; ++x)
                out[x] = row[x0 + x];
        } else {
            const bool overWhite = picture.layout == PixelBuffer::Layout::Argb32Premultiplied;
            for (int x = 0; x < Width; ++x) {
                std::uint32_t word;
                std::memcpy(&word, row + std::ptrdiff_t(x0 + x) * 4, 4);
                std::uint32_t grey = ((word >> 16 & 0xFF) * 77 + (word >> 8 & 0xFF) * 150 + (word & 0xFF) * 29) >> 8;
                if (overWhite)
                    grey = std::min<std::uint32_t>(255, grey + (255 - (word >> 24)));
                out[x] = std::uint8_t(grey);
            }
        }
        for (int x = 0; x < Width; ++x)
            ++histogram[out[x]];
    }
    // Paper: the level nine tenths of the window are at or below; ink: the
    // darkest few pixels (a 3 px mark is only seven), but never a single
    // stray speck.
    const int count = Width * Height;
    int seen = 0, ink = 0, paper = 255;
    bool inkFound = false;
    for (int l = 0; l < 256; ++l) {
        seen += histogram[l];
        if (!inkFound && seen >= std::max(3, count / 400)) {
            ink = l;
            inkFound = true;
        }
        if (seen * 10 >= count * 9) {
            paper = l;
            break;
        }
    }
    if (paper - ink < MinimumContrast)
        return;
    Contrast = true;
    InnerRight = Width - 1;
    InnerBottom = Height - 1;
    // Darkness of every level once, then a look-up per pixel.
    float darkness[256];
    const float scale = 1.0f / float(paper - ink);
    for (int l = 0; l < 256; ++l)
        darkness[l] = std::clamp(float(paper - l) * scale, 0.0f, 1.0f);
    int dark = 0;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            const std::size_t i = std::size_t(y * MaxSide + x);
            const float d = darkness[level[i]];
            Dark[i] = d;
            dark += d >= 0.5f;
        }
    InkShare = double(dark) / count;
}

// Beside or beyond the window's edge, where outside pixels count as paper.
double SnapWindow::darkAtEdge(double fx, double fy) const
{
    if (!(fx > -2 && fy > -2 && fx < Width + 1 && fy < Height + 1))
        return 0; // far outside, or not a number
    const int x0 = int(fx + 2) - 2, y0 = int(fy + 2) - 2; // the floor, both being above -2
    const double ax = fx - x0, ay = fy - y0;
    auto pick = [this](int px, int py) -> double {
        return px < 0 || py < 0 || px >= Width || py >= Height ? 0.0 : Dark[std::size_t(py * MaxSide + px)];
    };
    return (1 - ay) * ((1 - ax) * pick(x0, y0) + ax * pick(x0 + 1, y0)) + ay * ((1 - ax) * pick(x0, y0 + 1) + ax * pick(x0 + 1, y0 + 1));
}

SnapWindow SnapWindow::emphasised(float level) const
{
    // The frame, then only the window's pixels: a whole copy would move all
    // of the largest window's.
    SnapWindow w;
    static_cast<SnapWindowFrame &>(w) = *this;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            const std::size_t i = std::size_t(y * MaxSide + x);
            w.Dark[i] = std::min(1.0f, Dark[i] / level);
        }
    return w;
}

} // namespace pontiva

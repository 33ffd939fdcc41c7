// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// How much a pixel looks like one ink on one paper, by its colour.
#include "extraction/inkcolour.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace pontiva {

Rgb colourAt(const PixelBuffer &picture, int x, int y)
{
    const std::uint8_t *row = picture.data + std::ptrdiff_t(y) * picture.stride;
    if (picture.layout == PixelBuffer::Layout::Grey8) {
        const float v = row[x];
        return {v, v, v};
    }
    std::uint32_t word;
    std::memcpy(&word, row + std::ptrdiff_t(x) * 4, 4);
    const float white = picture.layout == PixelBuffer::Layout::Argb32Premultiplied ? float(255 - (word >> 24)) : 0.0f;
    return {float(word >> 16 & 0xFF) + white, float(word >> 8 & 0xFF) + white, float(word & 0xFF) + white};
}

PixelRect clippedTo(const PixelRect &r, const PixelBuffer &picture)
{
    return {std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, picture.width), std::min(r.bottom, picture.height)};
}

Rgb paperOf(const PixelBuffer &picture, const PixelRect &area)
{
    const PixelRect a = clippedTo(area, picture);
    if (a.empty())
        return {};
    // About 40 000 pixels, spread evenly.
    const double step = std::max(1.0, std::sqrt(double(a.width()) * a.height() / 40000.0));
    std::array<std::vector<float>, 3> channels;
    for (double y = a.top; y < a.bottom; y += step)
        for (double x = a.left; x < a.right; x += step) {
            const Rgb c = colourAt(picture, int(x), int(y));
            channels[0].push_back(c.r);
            channels[1].push_back(c.g);
            channels[2].push_back(c.b);
        }
    float median[3];
    for (int i = 0; i < 3; ++i) {
        auto &v = channels[std::size_t(i)];
        std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(v.size() / 2), v.end());
        median[i] = v[v.size() / 2];
    }
    return {median[0], median[1], median[2]};
}

InkMatch::InkMatch(Rgb paper, Rgb ink)
    : Paper(paper), Axis{ink.r - paper.r, ink.g - paper.g, ink.b - paper.b}
{
    AxisLength2 = Axis.r * Axis.r + Axis.g * Axis.g + Axis.b * Axis.b;
    // Less than a fifth of full contrast is no ink to follow.
    Usable = AxisLength2 >= 48.0f * 48.0f;
    // Off the way from paper to ink by more than this is another colour;
    // the constant part allows for a scan's noise and JPEG's colour bleed.
    const float offAxis = 0.2f * std::sqrt(AxisLength2) + 10.0f;
    OffAxis2 = offAxis * offAxis;
}

float InkMatch::operator()(Rgb c) const
{
    if (!Usable)
        return 0;
    const float dr = c.r - Paper.r, dg = c.g - Paper.g, db = c.b - Paper.b;
    const float along = (dr * Axis.r + dg * Axis.g + db * Axis.b) / AxisLength2;
    if (along <= 0)
        return 0;
    const float t = std::min(along, 1.0f);
    const float pr = dr - t * Axis.r, pg = dg - t * Axis.g, pb = db - t * Axis.b;
    const float off2 = pr * pr + pg * pg + pb * pb;
    if (off2 <= OffAxis2)
        return t;
    // Fading out to nothing at a quarter more than the allowance.
    const float fade = 1.0f - (std::sqrt(off2 / OffAxis2) - 1.0f) * 4.0f;
    return fade <= 0 ? 0.0f : t * fade;
}

bool InkMatch::foreign(Rgb c) const
{
    if (!Usable)
        return false;
    const float dr = c.r - Paper.r, dg = c.g - Paper.g, db = c.b - Paper.b;
    return dr * dr + dg * dg + db * db >= 0.25f * AxisLength2 && (*this)(c) < 0.5f;
}

double MatchMap::between(double x, double y) const
{
    const double fx = x - 0.5, fy = y - 0.5;
    if (!(fx > area.left - 2 && fy > area.top - 2 && fx < area.right + 1 && fy < area.bottom + 1))
        return 0;
    const int x0 = int(std::floor(fx)), y0 = int(std::floor(fy));
    const double ax = fx - x0, ay = fy - y0;
    auto pick = [this](int px, int py) -> double { return inside(px, py) ? (*this)(px, py) : 0.0; };
    return ((1 - ay) * ((1 - ax) * pick(x0, y0) + ax * pick(x0 + 1, y0))
            + ay * ((1 - ax) * pick(x0, y0 + 1) + ax * pick(x0 + 1, y0 + 1)))
        / 255.0;
}

namespace {

// Across a stroke of other ink one or two pixels wide, from this ink on
// one side to this ink on the other, along a row or a column.
void bridgeForeignStrokes(const PixelBuffer &picture, MatchMap &m, const InkMatch &match)
{
    constexpr std::uint8_t Inside = 128;
    const int w = m.area.width(), h = m.area.height();
    const std::vector<std::uint8_t> before = m.level;
    auto level = [&](int x, int y) { return before[std::size_t(y) * std::size_t(w) + std::size_t(x)]; };
    auto gap = [&](int x, int y) { return level(x, y) < Inside && match.foreign(colourAt(picture, m.area.left + x, m.area.top + y)); };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (level(x, y) >= Inside)
                continue;
            int bridged = 0;
            // Along a row, then a column: this ink within two pixels each way, other ink between.
            for (const auto [dx, dy] : {std::pair{1, 0}, std::pair{0, 1}}) {
                for (int before = 1; before <= 2 && !bridged; ++before) {
                    const int bx = x - before * dx, by = y - before * dy;
                    if (bx < 0 || by < 0 || level(bx, by) < Inside)
                        continue;
                    for (int after = 1; after + before <= 3; ++after) {
                        const int ax = x + after * dx, ay = y + after * dy;
                        if (ax >= w || ay >= h)
                            break;
                        if (level(ax, ay) >= Inside) {
                            bool foreign = true;
                            for (int i = 1 - before; i < after && foreign; ++i)
                                foreign = gap(x + i * dx, y + i * dy);
                            if (foreign)
                                bridged = std::min(level(bx, by), level(ax, ay));
                            break;
                        }
                    }
                }
            }
            if (bridged)
                m.level[std::size_t(y) * std::size_t(w) + std::size_t(x)] = std::uint8_t(bridged);
        }
}

} // namespace

MatchMap matchMap(const PixelBuffer &picture, const PixelRect &area, const InkMatch &match)
{
    MatchMap m;
    m.area = clippedTo(area, picture);
    if (m.area.empty())
        return m;
    m.level.resize(std::size_t(m.area.width()) * std::size_t(m.area.height()));
    std::uint8_t *out = m.level.data();
    if (picture.layout == PixelBuffer::Layout::Grey8) {
        std::uint8_t table[256];
        for (int v = 0; v < 256; ++v)
            table[v] = std::uint8_t(std::lround(255 * match({float(v), float(v), float(v)})));
        for (int y = m.area.top; y < m.area.bottom; ++y) {
            const std::uint8_t *row = picture.data + std::ptrdiff_t(y) * picture.stride;
            for (int x = m.area.left; x < m.area.right; ++x)
                *out++ = table[row[x]];
        }
    } else {
        for (int y = m.area.top; y < m.area.bottom; ++y)
            for (int x = m.area.left; x < m.area.right; ++x)
                *out++ = std::uint8_t(255 * match(colourAt(picture, x, y)) + 0.5f);
    }
    bridgeForeignStrokes(picture, m, match);
    return m;
}

} // namespace pontiva

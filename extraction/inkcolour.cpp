// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// How much a pixel looks like one ink on one paper, by its colour.
#include "extraction/inkcolour.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <cstdlib>

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

InkMatch::InkMatch(Rgb paper, Rgb ink, float deepest, bool forJpegMarks)
    : Paper(paper), Axis{ink.r - paper.r, ink.g - paper.g, ink.b - paper.b}, Deepest(std::max(1.0f, deepest))
{
    AxisLength2 = Axis.r * Axis.r + Axis.g * Axis.g + Axis.b * Axis.b;
    // Less than a fifth of full contrast is no ink to follow.
    Usable = AxisLength2 >= 48.0f * 48.0f;
    // Off the way from paper to ink by more than this is another colour;
    // the constant part allows for a scan's noise and JPEG's colour bleed.
    const float offAxis = 0.2f * std::sqrt(AxisLength2) + 10.0f;
    OffAxis2 = offAxis * offAxis;
    LumaPaper = luma(paper);
    const float lumaAxis = luma(ink) - LumaPaper;
    const float grey = (ink.r + ink.g + ink.b) / 3;
    const float chroma2 = (ink.r - grey) * (ink.r - grey) + (ink.g - grey) * (ink.g - grey) + (ink.b - grey) * (ink.b - grey);
    // (Only where brightness tells ink from paper well enough; grey has
    // no colour to stray.)
    if (forJpegMarks && std::abs(lumaAxis) >= 0.35f * std::sqrt(AxisLength2 / 3)) {
        LumaAxis = lumaAxis;
        if (chroma2 >= 0.25f * 0.25f * AxisLength2)
            OffAxis2 *= 4;
    }
}

float InkMatch::matchOf(Rgb c, bool *foreign) const
{
    if (foreign)
        *foreign = false;
    if (!Usable)
        return 0;
    const float dr = c.r - Paper.r, dg = c.g - Paper.g, db = c.b - Paper.b;
    const float along = (dr * Axis.r + dg * Axis.g + db * Axis.b) / AxisLength2;
    if (along <= 0)
        return 0;
    const float share = LumaAxis != 0 ? std::max(0.0f, (luma(c) - LumaPaper) / LumaAxis) : along;
    const float t = std::min(share, 1.0f), reached = std::min(along, Deepest);
    const float pr = dr - reached * Axis.r, pg = dg - reached * Axis.g, pb = db - reached * Axis.b;
    const float off2 = pr * pr + pg * pg + pb * pb;
    if (off2 <= OffAxis2)
        return t;
    // Fading out to nothing at a quarter more than the allowance.
    const float fade = 1.0f - (std::sqrt(off2 / OffAxis2) - 1.0f) * 4.0f;
    const float match = fade <= 0 ? 0.0f : t * fade;
    if (foreign)
        *foreign = match < 0.5f && dr * dr + dg * dg + db * db >= 0.25f * AxisLength2;
    return match;
}

float InkMatch::luma(Rgb c)
{
    return 0.299f * c.r + 0.587f * c.g + 0.114f * c.b;
}

float InkMatch::along(Rgb c) const
{
    if (AxisLength2 <= 0)
        return 0;
    return ((c.r - Paper.r) * Axis.r + (c.g - Paper.g) * Axis.g + (c.b - Paper.b) * Axis.b) / AxisLength2;
}

double MatchMap::betweenAtEdge(int x0, int y0, double ax, double ay) const
{
    auto pick = [this](int px, int py) -> double { return inside(px, py) ? (*this)(px, py) : 0.0; };
    return ((1 - ay) * ((1 - ax) * pick(x0, y0) + ax * pick(x0 + 1, y0))
            + ay * ((1 - ax) * pick(x0, y0 + 1) + ax * pick(x0 + 1, y0 + 1)))
        / 255.0;
}

namespace {

// Across a stroke of other ink one or two pixels wide, from this ink on
// one side to this ink on the other, along a row or a column. `foreign`
// lists the other ink's pixels (indices into the map), in order.
void bridgeForeignStrokes(MatchMap &m, const std::vector<std::size_t> &foreign)
{
    constexpr std::uint8_t Inside = 128;
    const int w = m.area.width(), h = m.area.height();
    auto isForeign = [&foreign](std::size_t i) { return std::binary_search(foreign.begin(), foreign.end(), i); };
    std::vector<std::pair<std::size_t, std::uint8_t>> bridged;
    for (const std::size_t i : foreign) {
        const int x = int(i % std::size_t(w)), y = int(i / std::size_t(w));
        auto level = [&](int px, int py) { return m.level[std::size_t(py) * std::size_t(w) + std::size_t(px)]; };
        std::uint8_t value = 0;
        for (const auto &[dx, dy] : {std::pair{1, 0}, std::pair{0, 1}}) {
            // This ink one or two pixels before, and within three pixels
            // in all after it, other ink all the way between.
            for (int before = 1; before <= 2 && !value; ++before) {
                const int bx = x - before * dx, by = y - before * dy;
                if (bx < 0 || by < 0 || level(bx, by) < Inside)
                    continue;
                bool between = true;
                for (int k = 1; k < before && between; ++k)
                    between = isForeign(i - std::size_t(k * (dx + dy * w)));
                for (int after = 1; between && after + before <= 3; ++after) {
                    const int ax = x + after * dx, ay = y + after * dy;
                    if (ax >= w || ay >= h)
                        break;
                    if (level(ax, ay) >= Inside) {
                        value = std::min(level(bx, by), level(ax, ay));
                        break;
                    }
                    between = isForeign(i + std::size_t(after * (dx + dy * w)));
                }
            }
        }
        if (value)
            bridged.emplace_back(i, value);
    }
    for (const auto &[i, value] : bridged)
        m.level[i] = value;
}

} // namespace

// A light grid line (this ink's hue, too pale to be ink, running on for
// many pixels between paper) under a mark's edge adds to the edge's
// anti-aliased pixels and pushes the edge out. Along such a line, and
// across the gaps marks leave in it, each pixel's share of ink is taken
// over the line's level instead of over paper. (A mark's own straight edge
// is as pale and as long, but has ink on one side.)
void overFaintLines(MatchMap &m)
{
    constexpr int Faintest = 20, Palest = 115; // of 255
    constexpr int Even = 30, Shortest = 24, Gap = 64;
    const int w = m.area.width(), h = m.area.height();
    auto pixel = [&](int x, int y) -> std::uint8_t & { return m.level[std::size_t(y) * std::size_t(w) + std::size_t(x)]; };
    // Faint, about as dark as the run's first pixel, and between paper and
    // no ink across the run (its neighbours read only then: most pixels
    // are paper or ink).
    auto faint = [&](int v, int first, int x, int y, int dx, int dy) {
        if (v < Faintest || v > Palest || std::abs(v - first) > Even)
            return false;
        const int bx = x - dx, by = y - dy, ax = x + dx, ay = y + dy;
        const int before = bx >= 0 && by >= 0 ? pixel(bx, by) : 0, after = ax < w && ay < h ? pixel(ax, ay) : 0;
        return std::max(before, after) < 128 && std::min(before, after) < Faintest;
    };
    // Each stretch of a line to take over its level: a run, or a gap between two like runs.
    struct Stretch {
        int line, from, to, level;
    };
    std::vector<Stretch> stretches;
    struct Run {
        int start = -1, first = 0, sum = 0, lastEnd = -1, lastLevel = 0;
    };
    auto close = [&](Run &r, int line, int end) {
        if (end - r.start >= Shortest) {
            const int g = r.sum / (end - r.start);
            stretches.push_back({line, r.start, end, g});
            if (r.lastEnd >= 0 && r.start - r.lastEnd <= Gap && std::abs(g - r.lastLevel) <= Even)
                stretches.push_back({line, r.lastEnd, r.start, (g + r.lastLevel) / 2});
            r.lastEnd = end;
            r.lastLevel = g;
        }
        r.start = -1;
    };
    // Pixel `i` of line `line` (at x, y; across the line is dx, dy): it
    // extends the run, or ends it and may start the next.
    auto step = [&](Run &r, int line, int i, int x, int y, int dx, int dy) {
        const int v = pixel(x, y);
        if (r.start >= 0 && faint(v, r.first, x, y, dx, dy)) {
            r.sum += v;
            return;
        }
        if (r.start >= 0)
            close(r, line, i);
        if (faint(v, v, x, y, dx, dy))
            r.start = i, r.first = v, r.sum = v;
    };
    auto take = [&](bool rows) {
        for (const Stretch &s : stretches)
            for (int i = s.from; i < s.to; ++i) {
                std::uint8_t &v = rows ? pixel(i, s.line) : pixel(s.line, i);
                v = std::uint8_t(std::max(0, (int(v) - s.level) * 255 / (255 - s.level)));
            }
        stretches.clear();
    };
    // Along the rows, then down the columns (the columns' runs kept side by
    // side, so the map is read row after row).
    for (int y = 0; y < h; ++y) {
        Run r;
        for (int x = 0; x < w; ++x)
            step(r, y, x, x, y, 0, 1);
        if (r.start >= 0)
            close(r, y, w);
    }
    take(true);
    std::vector<Run> columns(static_cast<std::size_t>(w));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            step(columns[std::size_t(x)], x, y, x, y, 1, 0);
    for (int x = 0; x < w; ++x)
        if (columns[std::size_t(x)].start >= 0)
            close(columns[std::size_t(x)], x, h);
    take(false);
}

MatchMap matchMap(const PixelBuffer &picture, const PixelRect &area, const InkMatch &match)
{
    MatchMap m;
    m.area = clippedTo(area, picture);
    if (m.area.empty())
        return m;
    m.level.resize(std::size_t(m.area.width()) * std::size_t(m.area.height()));
    std::uint8_t *out = m.level.data();
    std::vector<std::size_t> foreign;
    if (picture.layout == PixelBuffer::Layout::Grey8) {
        std::uint8_t table[256];
        bool other[256];
        for (int v = 0; v < 256; ++v)
            table[v] = std::uint8_t(std::lround(255 * match.matchOf({float(v), float(v), float(v)}, &other[v])));
        for (int y = m.area.top; y < m.area.bottom; ++y) {
            const std::uint8_t *row = picture.data + std::ptrdiff_t(y) * picture.stride;
            for (int x = m.area.left; x < m.area.right; ++x) {
                if (other[row[x]])
                    foreign.push_back(std::size_t(out - m.level.data()));
                *out++ = table[row[x]];
            }
        }
    } else {
        // Charts are mostly runs of one colour (paper above all): a pixel
        // like the one before takes its result.
        std::uint32_t lastWord = 0;
        std::uint8_t lastLevel = 0;
        bool lastOther = false, known = false;
        for (int y = m.area.top; y < m.area.bottom; ++y) {
            const std::uint8_t *row = picture.data + std::ptrdiff_t(y) * picture.stride;
            for (int x = m.area.left; x < m.area.right; ++x) {
                std::uint32_t word;
                std::memcpy(&word, row + std::ptrdiff_t(x) * 4, 4);
                if (!known || word != lastWord) {
                    float v = match.matchOf(colourAt(picture, x, y), &lastOther);
                    lastLevel = std::uint8_t(255 * v + 0.5f);
                    lastWord = word;
                    known = true;
                }
                if (lastOther)
                    foreign.push_back(std::size_t(out - m.level.data()));
                *out++ = lastLevel;
            }
        }
    }
    bridgeForeignStrokes(m, foreign);
    return m;
}

} // namespace pontiva

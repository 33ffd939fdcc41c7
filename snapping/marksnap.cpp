// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The centre of a filled mark (a disc, a square, any solid marker) near a position.
#include "snapping/marksnap.h"

#include "snapping/snapwindow.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace pontiva {

namespace {

// The snap radius plus the largest mark radius expected (about 6 pixels).
constexpr int Radius = 14;
constexpr int Side = SnapWindow::MaxSide;
// Chamfer distances in thirds of a pixel: 3 along a row, 4 along a diagonal.
constexpr int Straight = 3, Diagonal = 4;
// A mark has a pixel at least this far inside its ink (in thirds): a 1 or 2
// pixel line does not.
constexpr int CoreDepth = 6;

// Window pixels with a border of paper all round, so that no neighbour
// look-up needs a bounds check.
constexpr int Padded = Side + 2;
using Grid = std::array<std::int16_t, Padded * Padded>;

double distance(double dx, double dy)
{
    return std::sqrt(dx * dx + dy * dy); // std::hypot guards against overflow at many times the cost
}

// Grid index of window pixel (x, y).
int at(int x, int y)
{
    return (y + 1) * Padded + x + 1;
}

// Distance from each ink pixel to the nearest paper pixel, in thirds of a
// pixel; outside the window counts as paper. `d` comes zeroed.
void distanceToPaper(const SnapWindow &w, Grid &d)
{
    const int W = w.width(), H = w.height();
    constexpr int Far = 10000;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            if (w.dark(x, y) < 0.5f)
                continue;
            const int i = at(x, y);
            d[std::size_t(i)] = std::int16_t(std::min({Far, d[std::size_t(i - 1)] + Straight, d[std::size_t(i - Padded)] + Straight,
                                                       d[std::size_t(i - Padded - 1)] + Diagonal,
                                                       d[std::size_t(i - Padded + 1)] + Diagonal}));
        }
    for (int y = H - 1; y >= 0; --y)
        for (int x = W - 1; x >= 0; --x) {
            const int i = at(x, y);
            std::int16_t &v = d[std::size_t(i)];
            if (v)
                v = std::int16_t(std::min({int(v), d[std::size_t(i + 1)] + Straight, d[std::size_t(i + Padded)] + Straight,
                                           d[std::size_t(i + Padded + 1)] + Diagonal,
                                           d[std::size_t(i + Padded - 1)] + Diagonal}));
        }
}

struct Candidate {
    int x = 0, y = 0; // deepest pixel, window coordinates
    int depth = 0;    // in thirds of a pixel
    int minX = Side, minY = Side, maxX = -1, maxY = -1; // extent of the core
};

// Mean darkness of the ring just outside a mark: low for a mark standing on
// paper (a curve through it adds little), high for noise or a dense texture.
double ringDarkness(const SnapWindow &w, double cx, double cy, double inner, double outer)
{
    double sum = 0;
    int n = 0;
    const int x0 = std::max(0, int(std::floor(cx - outer))), x1 = std::min(w.width() - 1, int(std::ceil(cx + outer)));
    const int y0 = std::max(0, int(std::floor(cy - outer))), y1 = std::min(w.height() - 1, int(std::ceil(cy + outer)));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const double r = distance(x + 0.5 - cx, y + 0.5 - cy);
            if (r >= inner && r <= outer) {
                sum += w.dark(x, y);
                ++n;
            }
        }
    return n ? sum / n : 1.0;
}

} // namespace

std::optional<PixelPoint> snapToMark(const PixelBuffer &picture, PixelPoint position)
{
    const SnapWindow w(picture, position, Radius);
    if (w.empty() || w.inkShare() > 0.5)
        return std::nullopt;
    Grid depth{};
    distanceToPaper(w, depth);

    // Cores: connected pixels at least CoreDepth inside the ink. A curve
    // through several marks joins their ink, never their cores.
    std::array<std::uint8_t, Padded * Padded> label{};
    std::array<Candidate, 64> found;
    int count = 0;
    std::array<int, Padded * Padded> stack;
    for (int y = 0; y < w.height(); ++y)
        for (int x = 0; x < w.width(); ++x) {
            if (depth[std::size_t(at(x, y))] < CoreDepth || label[std::size_t(at(x, y))] || count == int(found.size()))
                continue;
            Candidate &c = found[std::size_t(count++)];
            int top = 0;
            stack[std::size_t(top++)] = at(x, y);
            label[std::size_t(at(x, y))] = std::uint8_t(count);
            while (top > 0) {
                const int i = stack[std::size_t(--top)];
                const int px = i % Padded - 1, py = i / Padded - 1;
                if (depth[std::size_t(i)] > c.depth) {
                    c.depth = depth[std::size_t(i)];
                    c.x = px;
                    c.y = py;
                }
                c.minX = std::min(c.minX, px);
                c.maxX = std::max(c.maxX, px);
                c.minY = std::min(c.minY, py);
                c.maxY = std::max(c.maxY, py);
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = px + dx, ny = py + dy;
                        if (nx < 0 || ny < 0 || nx >= w.width() || ny >= w.height())
                            continue;
                        const int j = at(nx, ny);
                        if (depth[std::size_t(j)] >= CoreDepth && !label[std::size_t(j)]) {
                            label[std::size_t(j)] = std::uint8_t(count);
                            stack[std::size_t(top++)] = j;
                        }
                    }
            }
        }

    // Window coordinates of the position.
    const double px = position.x - w.left(), py = position.y - w.top();
    const Candidate *best = nullptr;
    double bestDistance = 0;
    for (int i = 0; i < count; ++i) {
        const Candidate &c = found[std::size_t(i)];
        const double r = c.depth / 3.0;
        // Compact: a thick line has a long ridge of deep pixels, a mark a blob.
        if (std::max(c.maxX - c.minX, c.maxY - c.minY) > 2 * r + 1)
            continue;
        // Under the position (within the mark), or the nearest within reach.
        const double toCentre = distance(c.x + 0.5 - px, c.y + 0.5 - py);
        if (toCentre - r > SnapRadius)
            continue;
        // Every mark under the position ties at its edge; the centre decides.
        const double distance = std::max(0.0, toCentre - r) * 1000 + toCentre;
        if (!best || distance < bestDistance) {
            best = &c;
            bestDistance = distance;
        }
    }
    if (!best)
        return std::nullopt;

    // Refine from the whole mark: the darkness-weighted centre of a disc a
    // little wider than the mark, moved until it sits on that centre. The
    // weight falls off smoothly at the disc's rim so that no pixel jumps in
    // or out as it moves.
    const double reach = best->depth / 3.0 + 1.0;
    double cx = best->x + 0.5, cy = best->y + 0.5;
    for (int pass = 0; pass < 8; ++pass) {
        double sum = 0, sx = 0, sy = 0;
        const int x0 = std::max(0, int(std::floor(cx - reach - 1))), x1 = std::min(w.width() - 1, int(cx + reach + 1));
        const int y0 = std::max(0, int(std::floor(cy - reach - 1))), y1 = std::min(w.height() - 1, int(cy + reach + 1));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const double rim = std::clamp(reach + 0.5 - distance(x + 0.5 - cx, y + 0.5 - cy), 0.0, 1.0);
                const double weight = rim * w.dark(x, y);
                sum += weight;
                sx += weight * (x + 0.5);
                sy += weight * (y + 0.5);
            }
        if (sum <= 0)
            return std::nullopt;
        const double nx = sx / sum, ny = sy / sum;
        const double moved = distance(nx - cx, ny - cy);
        cx = nx;
        cy = ny;
        if (moved < 0.01)
            break;
    }
    if (ringDarkness(w, cx, cy, reach + 0.5, reach + 2.5) > 0.4)
        return std::nullopt; // not a mark on paper: noise, a texture, a blob in a hatch
    return PixelPoint{cx + w.left(), cy + w.top()};
}

} // namespace pontiva

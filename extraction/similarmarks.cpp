// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Every mark like the one under the pointer: its shape, size and colour.
#include "extraction/similarmarks.h"

#include "snapping/marksnap.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <unordered_map>

namespace pontiva {

namespace {

constexpr int Rays = 32;
constexpr double Pi = 3.14159265358979323846;
constexpr double Step = 0.25;   // along a ray, px
constexpr double Reach = 48;    // the longest ray, px: marks up to about 64 px across
constexpr std::uint8_t Half = 128; // of MatchMap's 0-255: inside the ink
// A hole is paper well clear of the ink: a thin outline a scan has worn
// thinner in places still closes it.
constexpr std::uint8_t Clear = 80;

// Where the ink along 32 rays from a centre ends (filled marks), or where
// the outline's ink starts and ends (hollow ones). A ray that finds no edge
// within reach ends there.
struct Outline {
    bool hollow = false;
    std::array<float, Rays> inner{}, outer{};
};

std::array<PixelPoint, Rays> rayDirections()
{
    std::array<PixelPoint, Rays> d;
    for (int k = 0; k < Rays; ++k) {
        const double a = 2 * Pi * k / Rays;
        d[std::size_t(k)] = {std::cos(a), std::sin(a)};
    }
    return d;
}
const std::array<PixelPoint, Rays> Directions = rayDirections();

// False when the centre does not lie in ink (filled) or paper (hollow).
bool traceOutline(const MatchMap &map, PixelPoint c, bool hollow, double reach, Outline &o)
{
    o.hollow = hollow;
    const double atCentre = map.between(c.x, c.y);
    if (hollow != (atCentre < 0.5))
        return false;
    // (Nearly always: the rays never come near the map's edge, and each
    // sample reads the map unchecked, the same value.)
    const bool inside = map.allInside(c.x, c.y, reach + 0.01);
    for (int k = 0; k < Rays; ++k) {
        const PixelPoint u = Directions[std::size_t(k)];
        double previous = atCentre;
        int phase = hollow ? 0 : 1; // 0: in the hole, 1: in the ink, 2: out
        float inner = 0, outer = float(reach);
        for (double s = Step; s <= reach; s += Step) {
            const double x = c.x + s * u.x, y = c.y + s * u.y;
            const double v = inside ? map.betweenInside(x, y) : map.between(x, y);
            if (phase == 0 && v >= 0.5) {
                inner = float(s - Step + Step * (0.5 - previous) / (v - previous));
                phase = 1;
            } else if (phase == 1 && v < 0.5) {
                outer = float(s - Step + Step * (previous - 0.5) / (previous - v));
                phase = 2;
                break;
            }
            previous = v;
        }
        if (phase == 0)
            inner = float(reach);
        o.inner[std::size_t(k)] = inner;
        o.outer[std::size_t(k)] = outer;
    }
    return true;
}

// The example's rays that run on much further than its nearest edge ran
// into something attached to it (a line, an error bar, another mark): they
// say nothing of its shape. A triangle's corners lie twice its inner radius out.
// The band just outside a mark (see surroundOf).
struct Surround {
    double share = 0;
    int directions = 0;
    int things = 0; // separate runs of those directions
    int apart = 0;  // of those, the ones paper parts from the mark along each of their directions
    int passing = 0; // directions crossed by a long straight line passing the mark by (a grid line)
    int passingThings = 0; // the things among them
    bool passesThrough = false; // that line runs through the mark (its series line), not beside it
};

// A harmonic of an outline, or of its difference from another: its cosine
// and sine terms, and how many times more a ray's noise moves them than
// where every ray is used.
struct HarmonicTerms {
    double cos = 0, sin = 0, noise = 0;
};

struct Example {
    Outline outline;
    std::array<bool, Rays> shows{};
    int shown = 0;
    float nearest = 0, farthest = 0; // of the rays that show it
    float typical = 0;               // their median
    float outside = 0;               // the farthest outer edge of those rays, or of a neighbour joined to it
    Surround surround;
    std::optional<HarmonicTerms> corners; // harmonic 4 of its outer edge (see withCorners)
    // How far a mark's outline may lie off this one along a whole arc (and
    // half that more on the whole): a few tenths, or half a pixel and a
    // little where marks are drawn on whole pixels, each side of one a
    // pixel wider or narrower than the next one's.
    float arcSlack = 0.3f;
};

// A neighbour overlapping or touching a filled example widens it over a
// broad arc, some 60 degrees or more (a line through it, or a triangle's
// corner, over a narrow one): the rays of that arc, and one either side
// where the two outlines meet, show the neighbour.
void withoutNeighbours(std::array<bool, Rays> &shows, const std::array<float, Rays> &edge)
{
    std::array<float, Rays> sorted = edge;
    std::nth_element(sorted.begin(), sorted.begin() + Rays / 2, sorted.end());
    const float typical = sorted[Rays / 2];
    std::array<bool, Rays> wide{};
    for (std::size_t k = 0; k < Rays; ++k)
        wide[k] = !shows[k] || edge[k] > 1.35f * typical + 0.5f;
    for (int k = 0; k < Rays; ++k) { // (where every ray is wide, no arc starts)
        if (!wide[std::size_t(k)] || wide[std::size_t((k + Rays - 1) % Rays)])
            continue;
        int n = 0;
        while (wide[std::size_t((k + n) % Rays)])
            ++n;
        if (n >= 5)
            for (int j = -1; j <= n; ++j)
                shows[std::size_t((k + j + Rays) % Rays)] = false;
    }
}

// A ray far past both its neighbours is a corner, or a stub of a line
// leaving the mark at a slant, which the ray soon leaves. A mark's corners
// repeat under its half or third turn; a stub, with nothing like it there,
// shows nothing of the shape.
void withoutLoneSpikes(std::array<bool, Rays> &shows, const std::array<float, Rays> &edge)
{
    auto at = [&](int k) { return edge[std::size_t((k + Rays) % Rays)]; };
    auto spike = [&](int k) { return at(k) > 1.2f * std::max(at(k - 1), at(k + 1)); };
    const std::array<bool, Rays> before = shows;
    auto peak = [&](int k) {
        return before[std::size_t((k + Rays) % Rays)] && at(k) > 1.08f * std::max(at(k - 2), at(k + 2));
    };
    for (int k = 0; k < Rays; ++k) {
        if (!before[std::size_t(k)] || !spike(k))
            continue;
        bool repeated = false;
        for (const int turn : {Rays / 2, Rays / 3, Rays - Rays / 3, Rays / 3 + 1, Rays - Rays / 3 - 1})
            for (int j = -1; j <= 1; ++j)
                repeated = repeated || peak(k + turn + j);
        if (!repeated)
            shows[std::size_t(k)] = false;
    }
}

// Whether ink goes on past where a ray ended, paler than the half that
// ends a ray: a thin line leaving the mark, whose antialiased pixels dip
// under half along it. (Asked only of rays well past the nearest edge: a
// scan's halo lies round every edge.)
bool goesOnFaintly(const MatchMap &map, PixelPoint c, int k, float end, float nearest)
{
    const PixelPoint u = Directions[std::size_t(k)];
    const float past = std::max(3.0f, nearest);
    double sum = 0;
    int n = 0;
    for (double s = end + Step; s <= end + past; s += Step, ++n)
        sum += map.between(c.x + s * u.x, c.y + s * u.y);
    return n > 0 && sum / n >= 0.25;
}

Example exampleOf(const Outline &o, const MatchMap &map, PixelPoint c)
{
    Example e;
    e.outline = o;
    const auto &edge = o.hollow ? o.inner : o.outer;
    const float nearest = *std::min_element(edge.begin(), edge.end());
    const float nearestOuter = *std::min_element(o.outer.begin(), o.outer.end());
    for (int k = 0; k < Rays; ++k) {
        const float r = edge[std::size_t(k)];
        // (A ray still in ink at its reach ran off along a line.)
        const bool shows = r <= 2.2f * nearest + 1.5f && r < float(Reach) && o.outer[std::size_t(k)] < float(Reach)
                           && (o.hollow || r <= 1.3f * nearest + 0.5f || !goesOnFaintly(map, c, k, r, nearest));
        e.shows[std::size_t(k)] = shows;
        // (The band round a filled one lies past a neighbour touching or
        // overlapping it, whose far edge lies up to three times its
        // nearest out: the two stand together among what lies round them.
        // Round a hole over 8 px across, no letter's eye, it lies round the
        // outline, not out along a line leaving it, where grid lines cross;
        // round a smaller one, out to where a triangle's corners reach, not
        // out along its series line, past the letters round a legend's o.)
        if (o.hollow ? shows && o.outer[std::size_t(k)] <= (nearest <= 4 ? 2.2f * nearestOuter + 1.5f : 1.5f * nearestOuter + 1)
                     : r <= 3.2f * nearest + 0.5f && o.outer[std::size_t(k)] < float(Reach))
            e.outside = std::max(e.outside, o.outer[std::size_t(k)]);
    }
    if (!o.hollow) {
        withoutNeighbours(e.shows, edge);
        withoutLoneSpikes(e.shows, edge);
    }
    for (int k = 0; k < Rays; ++k)
        if (e.shows[std::size_t(k)]) {
            ++e.shown;
            e.farthest = std::max(e.farthest, edge[std::size_t(k)]);
        }
    e.nearest = nearest;
    std::array<float, Rays> shown{};
    int n = 0;
    for (int k = 0; k < Rays; ++k)
        if (e.shows[std::size_t(k)])
            shown[std::size_t(n++)] = edge[std::size_t(k)];
    std::nth_element(shown.begin(), shown.begin() + n / 2, shown.begin() + n);
    e.typical = shown[std::size_t(n / 2)];
    return e;
}

// A mark drawn on whole pixels is seldom quite as symmetric as its shape
// (a diamond 9 px wide and 8 high): each mirror its outline nearly keeps,
// across the upright, the level or either diagonal, is made exact by the
// mean of each ray and its image, so marks rounded the other way match it.
void symmetrise(const Example &e, std::array<float, Rays> &edge)
{
    for (const int mirror : {Rays / 2, 0, Rays / 4, 3 * Rays / 4}) { // ray k's image is mirror - k
        double sum = 0, mean = 0;
        int pairs = 0;
        for (int k = 0; k < Rays; ++k) {
            const std::size_t image = std::size_t((mirror - k + 2 * Rays) % Rays);
            if (e.shows[std::size_t(k)] && e.shows[image]) {
                sum += (edge[std::size_t(k)] - edge[image]) * (edge[std::size_t(k)] - edge[image]);
                mean += edge[std::size_t(k)];
                ++pairs;
            }
        }
        // A filled triangle 4 px across is as near a mirror across a
        // diagonal as its pixels are to its shape: made a diamond, it
        // would take diamonds and not triangles.
        const double floor = e.outline.hollow ? 0.35 : std::min(0.35, 0.15 * mean / std::max(1, pairs));
        if (pairs < e.shown * 3 / 4 || std::sqrt(sum / pairs) > std::max(floor, 0.06 * mean / pairs))
            continue;
        const std::array<float, Rays> before = edge;
        for (int k = 0; k < Rays; ++k) {
            const std::size_t image = std::size_t((mirror - k + 2 * Rays) % Rays);
            if (e.shows[std::size_t(k)] && e.shows[image])
                edge[std::size_t(k)] = 0.5f * (before[std::size_t(k)] + before[image]);
        }
    }
}

// A ray that ends this far past the example's edge ran on into something
// attached to the mark (a line, an error bar, another mark).
bool runsOn(float seen, float edge)
{
    return seen > 1.6f * edge + 1;
}

// Whether most rays end where the example's do. A ray may run on
// (something touches the candidate there), but few may stop short (it is
// smaller or of another shape) or end a little further out all round (it
// is larger, or a square beside a disc).
bool sameEdge(const Example &e, const std::array<float, Rays> &edge, const std::array<float, Rays> &seen, float slack,
              bool filled = false, int strays = Rays)
{
    // Rays that run far past the example's edge: a line or a bar leaves
    // the candidate there, and widens it a little either side.
    std::array<bool, Rays> far{};
    for (int k = 0; k < Rays; ++k)
        far[std::size_t(k)] = !e.shows[std::size_t(k)] || runsOn(seen[std::size_t(k)], edge[std::size_t(k)]);
    int agree = 0, shorter = 0, longer = 0;
    double misfit = 0, typical = 0;
    for (int k = 0; k < Rays; ++k) {
        if (!e.shows[std::size_t(k)])
            continue;
        const float want = edge[std::size_t(k)], got = seen[std::size_t(k)];
        const float tolerance = std::max(0.6f, 0.07f * want) + slack;
        const float d = got - want;
        if (std::abs(d) <= tolerance)
            ++agree;
        else if (d < 0) {
            // Beside a line leaving the example, its own edge is pushed out.
            bool besideExampleLine = false;
            for (int j = -2; j <= 2; ++j)
                besideExampleLine = besideExampleLine || !e.shows[std::size_t((k + j + Rays) % Rays)];
            if (filled && besideExampleLine)
                continue;
            ++shorter;
        } else {
            // Further out: something touching it (counted, if not far), or larger.
            if (far[std::size_t(k)])
                continue;
            ++longer;
            if (--strays < 0)
                return false;
            // Away from anything leaving it, the outline itself lies further
            // out there: another shape (a diamond's tip beside a triangle's side).
            bool besideFar = false;
            for (int j = -2; j <= 2; ++j)
                besideFar = besideFar || far[std::size_t((k + j + Rays) % Rays)];
            if (besideFar || !filled)
                continue;
        }
        misfit += std::min(std::abs(d), 2 * tolerance);
        typical += want;
    }
    const float n = float(e.shown);
    if (agree < 0.5f * n || shorter > 0.15f * n || longer > 0.3f * n)
        return false;
    // On the whole close: what tells a small triangle from a diamond.
    const int counted = std::max(1, agree + shorter);
    return misfit / counted <= std::max(0.3, 0.035 * typical / counted) + 0.5 * (slack + e.arcSlack - 0.3f);
}

// The rays along which a small mark's outline and the example's are both
// their own, with the rays beside them: over a pixel off, a ray ran into a
// line or a neighbour, here or at the example.
std::array<bool, Rays> clearRays(const std::array<float, Rays> &seen, const std::array<float, Rays> &want,
                                 const std::array<bool, Rays> &shows)
{
    std::array<bool, Rays> own{}, clear{};
    for (std::size_t k = 0; k < Rays; ++k)
        own[k] = shows[k] && std::abs(seen[k] - want[k]) <= std::max(1.0f, 0.5f * want[k]);
    for (std::size_t k = 0; k < Rays; ++k)
        clear[k] = own[(k + Rays - 1) % Rays] && own[k] && own[(k + 1) % Rays];
    return clear;
}

// Harmonic `m` of `d` over the rays in `use`, least squares on the
// harmonics up to the fourth: its cosine and sine terms (see
// HarmonicTerms).
std::optional<HarmonicTerms> harmonicOf(const std::array<float, Rays> &d, const std::array<bool, Rays> &use, int m)
{
    // The normal equations, with two more right-hand sides that give the
    // harmonic's terms of their inverse: how well the rays pin it down.
    constexpr std::size_t Terms = 9, Columns = Terms + 3;
    const std::size_t Cos = std::size_t(2 * m - 1), Sin = Cos + 1;
    std::array<std::array<double, Columns>, Terms> a{};
    a[Cos][Terms + 1] = a[Sin][Terms + 2] = 1;
    for (int k = 0; k < Rays; ++k) {
        if (!use[std::size_t(k)])
            continue;
        const double t = 2 * Pi * k / Rays;
        std::array<double, Terms> f{1};
        for (int h = 1; h <= 4; ++h)
            f[std::size_t(2 * h - 1)] = std::cos(h * t), f[std::size_t(2 * h)] = std::sin(h * t);
        for (std::size_t i = 0; i < Terms; ++i) {
            for (std::size_t j = 0; j < Terms; ++j)
                a[i][j] += f[i] * f[j];
            a[i][Terms] += f[i] * d[std::size_t(k)];
        }
    }
    // Gauss-Jordan with partial pivoting.
    for (std::size_t i = 0; i < Terms; ++i) {
        std::size_t pivot = i;
        for (std::size_t j = i + 1; j < Terms; ++j)
            if (std::abs(a[j][i]) > std::abs(a[pivot][i]))
                pivot = j;
        std::swap(a[i], a[pivot]);
        if (std::abs(a[i][i]) < 1e-6)
            return std::nullopt;
        for (std::size_t j = 0; j < Terms; ++j)
            if (j != i) {
                const double q = a[j][i] / a[i][i];
                for (std::size_t l = i; l < Columns; ++l)
                    a[j][l] -= q * a[i][l];
            }
    }
    // Against all 32 rays.
    const double inverse = std::max(a[Cos][Terms + 1] / a[Cos][Cos], a[Sin][Terms + 2] / a[Sin][Sin]);
    return HarmonicTerms{a[Cos][Terms] / a[Cos][Cos], a[Sin][Terms] / a[Sin][Sin], std::sqrt(inverse * Rays / 2)};
}

// A mark a few pixels across differs from another shape of its size by
// little along any one ray, but alike all round: a triangle's three
// corners against a diamond's four, a small square hole's four corners
// against a round one. The amplitude of harmonic `m` of the outline's
// difference from the example's, over the clear rays, in px; none where
// a ray's noise would move it over three times as much as with all rays
// (too little of the outline is seen to tell). (Larger marks differ along
// whole sides, which the rays show one by one.)
double harmonic(const std::array<float, Rays> &seen, const std::array<float, Rays> &want,
                const std::array<bool, Rays> &shows, int m, double *noise = nullptr)
{
    std::array<float, Rays> d{};
    for (std::size_t k = 0; k < Rays; ++k)
        d[k] = seen[k] - want[k];
    const auto terms = harmonicOf(d, clearRays(seen, want, shows), m);
    if (!terms)
        return 0;
    if (noise)
        *noise = terms->noise;
    return terms->noise > 3 ? 0 : std::hypot(terms->cos, terms->sin);
}

bool small(const Example &e)
{
    return e.typical < 3;
}

// The rays along which a hollow example's outer edge is its own: not run
// on along a line or into a neighbour.
std::array<bool, Rays> outerShows(const Example &e)
{
    const float nearest = *std::min_element(e.outline.outer.begin(), e.outline.outer.end());
    std::array<bool, Rays> shows{};
    for (std::size_t k = 0; k < Rays; ++k)
        shows[k] = e.shows[k] && e.outline.outer[k] <= 1.5f * nearest + 1;
    return shows;
}

// Whether a small filled mark seen all round lacks over half of the four
// corners the example's own outline shows plainly (a 4 px square's, of
// 0.15 px or more): a disc beside 4 px squares through JPEG, whose
// corners are a few pixels, differs from them by less than marks of one
// kind differ among themselves, but always the same way.
bool lacksCorners(const Example &e, const Outline &o)
{
    const auto &own = e.corners;
    const double corners = own ? std::hypot(own->cos, own->sin) : 0;
    if (corners < 0.15)
        return false;
    std::array<float, Rays> d{};
    for (std::size_t k = 0; k < Rays; ++k)
        d[k] = o.outer[k] - e.outline.outer[k];
    const auto differs = harmonicOf(d, clearRays(o.outer, e.outline.outer, e.shows), 4);
    return differs && differs->noise < 1.1 && differs->cos * own->cos + differs->sin * own->sin < -0.6 * corners * corners;
}

// Whether a small mark's outline differs from the example's all round, as
// another shape's does: three corners for four, four for none (a 5 px
// disc and square; marks of one kind differ by up to 0.2 px), or (a hole
// up to 7 px across) four for none; a hole under 4 px across is too few
// pixels to show corners, and the outer edge shows them instead (by 0.2
// px or more; rings among themselves by under 0.1).
bool otherSmallShape(const Example &e, const Outline &o)
{
    const bool hollow = e.outline.hollow;
    const auto &seen = hollow ? o.inner : o.outer;
    const auto &want = hollow ? e.outline.inner : e.outline.outer;
    // (Seen all round, three corners for four show from 0.19 px.)
    double noise = 0;
    const double corners3 = small(e) ? harmonic(seen, want, e.shows, 3, &noise) : 0;
    if (small(e) && !hollow && lacksCorners(e, o))
        return true;
    return (small(e) && (corners3 > (noise < 1.1 ? 0.19 : 0.22) || harmonic(seen, want, e.shows, 4) > 0.3))
        || (hollow && e.nearest < 3.5 && harmonic(seen, want, e.shows, 4) > 0.2)
        || (hollow && e.nearest < 2 && harmonic(o.outer, e.outline.outer, outerShows(e), 4) > 0.18 + 0.5 * (e.arcSlack - 0.3));
}

// How much further out than the example's a filled mark's outline lies,
// by the median over its clear rays; none where under a quarter are clear.
std::optional<double> largerThanExample(const Example &e, const Outline &o)
{
    const std::array<bool, Rays> clear = clearRays(o.outer, e.outline.outer, e.shows);
    std::array<float, Rays> larger{};
    std::size_t n = 0;
    for (std::size_t k = 0; k < Rays; ++k)
        if (clear[k])
            larger[n++] = o.outer[k] - e.outline.outer[k];
    if (n < Rays / 4)
        return std::nullopt;
    std::nth_element(larger.begin(), larger.begin() + std::ptrdiff_t(n / 2), larger.begin() + std::ptrdiff_t(n));
    return larger[n / 2];
}

// `strays`: how many rays may end a little past the example's outline.
bool alike(const Example &e, const Outline &c, float slack = 0, int strays = Rays)
{
    if (!e.outline.hollow)
        return sameEdge(e, e.outline.outer, c.outer, slack, true, strays);
    // A hollow mark by the edge of its hole and the outer edge of its
    // outline (a ring's and an open square's holes differ little when small).
    if (!sameEdge(e, e.outline.inner, c.inner, slack) || !sameEdge(e, e.outline.outer, c.outer, slack + 0.3f))
        return false;
    std::array<float, Rays> thickness{};
    int rings = 0;
    for (int k = 0; k < Rays; ++k)
        if (e.shows[std::size_t(k)] && c.outer[std::size_t(k)] < float(Reach))
            thickness[std::size_t(rings++)] = (c.outer[std::size_t(k)] - c.inner[std::size_t(k)])
                - (e.outline.outer[std::size_t(k)] - e.outline.inner[std::size_t(k)]);
    // The outline's stroke as thick as the example's, taken by its median.
    if (rings < e.shown / 2)
        return false;
    std::nth_element(thickness.begin(), thickness.begin() + rings / 2, thickness.begin() + rings);
    return std::abs(thickness[std::size_t(rings / 2)]) <= 0.5f + 0.1f * e.nearest;
}

// Whether ink runs on along the line from `a` to `b` well past them both
// ways, within a pixel either side.
bool runsOnBothWays(const MatchMap &map, PixelPoint a, PixelPoint b, double runOn)
{
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    const PixelPoint u{(b.x - a.x) / length, (b.y - a.y) / length};
    // (Most pairs of points met lie on no line: given up at the first few
    // misses.)
    int misses = int(0.1 * 2 * std::floor(runOn));
    for (double t = 1; t <= runOn; t += 1)
        for (const double along : {-t, length + t}) {
            const PixelPoint p{a.x + along * u.x, a.y + along * u.y};
            bool ink = false;
            for (double side = -1; side <= 1 && !ink; side += 0.5)
                ink = map.between(p.x - side * u.y, p.y + side * u.x) >= 0.5;
            if (!ink && --misses < 0)
                return false;
        }
    return true;
}

// Of the points where directions met ink, those along one straight line
// that runs on well past them both ways: a grid line passing a mark by,
// not a letter beside it (a letter's strokes end within its height). The
// line through most of them (two, where it crosses the band either side of
// the mark); none where there is none.
std::vector<bool> onAPassingLine(const MatchMap &map, const std::vector<PixelPoint> &hits, double runOn)
{
    std::vector<bool> best(hits.size()), on(hits.size());
    int most = 1;
    for (std::size_t i = 0; i < hits.size(); ++i)
        for (std::size_t j = i + 1; j < hits.size(); ++j) {
            const PixelPoint a = hits[i], b = hits[j];
            const double length = std::hypot(b.x - a.x, b.y - a.y);
            if (length < 2)
                continue;
            const PixelPoint u{(b.x - a.x) / length, (b.y - a.y) / length};
            int count = 0;
            double from = 0, to = length; // the ends of the hits along it
            for (std::size_t k = 0; k < hits.size(); ++k) {
                const PixelPoint d{hits[k].x - a.x, hits[k].y - a.y};
                on[k] = std::abs(d.x * u.y - d.y * u.x) <= 1;
                if (on[k]) {
                    ++count;
                    from = std::min(from, d.x * u.x + d.y * u.y);
                    to = std::max(to, d.x * u.x + d.y * u.y);
                }
            }
            if (count > most
                && runsOnBothWays(map, {a.x + from * u.x, a.y + from * u.y}, {a.x + to * u.x, a.y + to * u.y}, runOn)) {
                most = count;
                best = on;
            }
        }
    return best;
}

// The band just outside a mark: how much of it is ink, and in how many
// directions ink crosses it, leaving out `marks` found round it (their
// outlines). A mark stands on paper, a line through it
// crossing the band in two directions; a letter stands among the other
// letters of its word, which cross it in many. `countApart`: also how many
// of those things paper parts from the mark (measured for the example).
Surround surroundOf(const MatchMap &map, PixelPoint c, double outside, bool countApart = false,
                    const std::vector<PixelPoint> &marks = {})
{
    const double from = outside + 2, to = from + std::max(3.0, 0.5 * outside);
    int inked = 0, all = 0;
    Surround s;
    std::array<bool, Rays> crossed{}, joined{};
    std::array<PixelPoint, Rays> hit{}; // where each crossed direction first meets ink
    for (std::size_t k = 0; k < Rays; ++k) {
        const PixelPoint u = Directions[k];
        for (double r = from; r <= to; r += 1) {
            const PixelPoint p{c.x + r * u.x, c.y + r * u.y};
            const bool ink = map.between(p.x, p.y) >= 0.5 && std::none_of(marks.begin(), marks.end(), [&](PixelPoint m) {
                                 return std::hypot(m.x - p.x, m.y - p.y) <= outside + 1;
                             });
            inked += ink;
            if (ink && !crossed[k])
                hit[k] = p;
            crossed[k] = crossed[k] || ink;
            ++all;
        }
        s.directions += crossed[k];
        // Joined to the mark where ink runs all the way out to the band.
        if (countApart && crossed[k]) {
            joined[k] = true;
            for (double r = 0; r < from && joined[k]; r += Step)
                joined[k] = map.between(c.x + r * u.x, c.y + r * u.y) >= 0.5;
        }
    }
    // Each thing: the directions crossed one after another.
    std::vector<std::vector<PixelPoint>> things;
    for (std::size_t k = 0; k < Rays; ++k) {
        if (!crossed[k] || crossed[(k + Rays - 1) % Rays])
            continue;
        ++s.things;
        bool apart = countApart;
        things.emplace_back();
        for (std::size_t n = 0; n < Rays && crossed[(k + n) % Rays]; ++n) {
            apart = apart && !joined[(k + n) % Rays];
            things.back().push_back(hit[(k + n) % Rays]);
        }
        s.apart += apart;
    }
    // A line passing by crosses the band once, or twice where it runs
    // nearer the mark than the band (touching it, or through it).
    std::vector<PixelPoint> hits;
    for (const auto &thing : things)
        hits.insert(hits.end(), thing.begin(), thing.end());
    const std::vector<bool> passing = onAPassingLine(map, hits, to);
    const auto firstOn = std::find(passing.begin(), passing.end(), true);
    const auto lastOn = std::find(passing.rbegin(), passing.rend(), true);
    if (firstOn != passing.end()) {
        const PixelPoint a = hits[std::size_t(firstOn - passing.begin())], b = hits[std::size_t(passing.rend() - lastOn - 1)];
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        s.passesThrough = length > 0 && std::abs((c.x - a.x) * (b.y - a.y) - (c.y - a.y) * (b.x - a.x)) / length <= 1.5;
    }
    std::size_t next = 0;
    for (const auto &thing : things) {
        const auto first = passing.begin() + std::ptrdiff_t(next), last = first + std::ptrdiff_t(thing.size());
        s.passing += int(std::count(first, last, true));
        s.passingThings += std::all_of(first, last, [](bool p) { return p; });
        next += thing.size();
    }
    if (s.directions == Rays)
        s.things = 1, s.apart = 0;
    s.share = double(inked) / all;
    return s;
}

// The centre where the candidate's outline matches the example's best: a
// shift that moves each ray's edge by its share along the ray, fitted over
// the rays that show both, a few times over. Identical shapes meet at the
// true centre whatever their outline; a line or a neighbour touching the
// candidate does not pull it. `misfit`: how far the rays that show the
// shape miss it there, by their median. `besideNeighbour`: a filled mark
// touching another (see below).
std::optional<PixelPoint> fitted(const MatchMap &map, const Example &e, PixelPoint c, double reach,
                                 float *misfit = nullptr, bool besideNeighbour = false)
{
    const bool hollow = e.outline.hollow;
    const auto &want = hollow ? e.outline.inner : e.outline.outer;
    Outline o;
    // After the first pass only rays that fit the shift about as well as
    // most do: an edge pushed out where a line joins the mark is left out.
    double spread = -1;
    PixelPoint shift{0, 0};
    std::array<bool, Rays> widened{};
    for (int pass = 0; pass < 8; ++pass) {
        if (!traceOutline(map, c, hollow, reach, o))
            return std::nullopt;
        const auto &got = hollow ? o.inner : o.outer;
        std::array<float, Rays> residual{};
        for (int k = 0; k < Rays; ++k)
            residual[std::size_t(k)] = got[std::size_t(k)] - want[std::size_t(k)];
        // Beside a ray that runs off along a line (the example's or this
        // mark's), a filled mark's outline is pushed out by the line's width;
        // where the two lines leave at different angles that would pull the
        // fit aside. (A hollow mark is fitted by its hole.)
        std::array<bool, Rays> joined{};
        for (int k = 0; k < Rays; ++k)
            joined[std::size_t(k)] = !e.shows[std::size_t(k)] || runsOn(got[std::size_t(k)], want[std::size_t(k)]);
        // Beside a neighbour it touches (rays running on over four in a
        // row), a small mark's edge lies out along a whole arc leading into
        // them, the ink widened by the neighbour or a line along both: that
        // arc shows nothing of the mark, and fitted it would pull the centre
        // towards them. Taken from the fit of the pass before.
        widened.fill(false);
        auto runsOnAt = [&](int k) {
            const std::size_t i = std::size_t((k + Rays) % Rays);
            return e.shows[i] && runsOn(got[i], want[i]);
        };
        if (besideNeighbour && spread >= 0) {
            std::array<bool, Rays> touching{};
            for (int k = 0; k < Rays; ++k)
                if (runsOnAt(k) && runsOnAt(k + 1) && runsOnAt(k + 2) && runsOnAt(k + 3))
                    for (int j = 0; j < 4; ++j)
                        touching[std::size_t((k + j) % Rays)] = true;
            for (int k = 0; k < Rays; ++k) {
                if (!touching[std::size_t(k)])
                    continue;
                for (const int step : {1, Rays - 1})
                    for (int j = (k + step) % Rays; e.shows[std::size_t(j)] && !widened[std::size_t(j)] && !runsOnAt(j)
                         && residual[std::size_t(j)] > 0.3f;
                         j = (j + step) % Rays)
                        widened[std::size_t(j)] = true;
            }
        }
        const long widenedRays = std::count(widened.begin(), widened.end(), true);
        double sxx = 0, sxy = 0, syy = 0, bx = 0, by = 0;
        int used = 0;
        std::array<float, Rays> misfits{};
        for (int k = 0; k < Rays; ++k) {
            const float d = residual[std::size_t(k)];
            const bool take = spread < 0 ? std::abs(d) <= std::max(0.6f, 0.07f * want[std::size_t(k)]) + 1.5f
                                         : std::abs(d) <= std::max(0.2, 2.5 * spread);
            const bool besideJoin = !hollow && (joined[std::size_t((k + 1) % Rays)] || joined[std::size_t((k + Rays - 1) % Rays)]);
            if (!e.shows[std::size_t(k)] || !take || besideJoin || widened[std::size_t(k)])
                continue;
            const PixelPoint u = Directions[std::size_t(k)];
            sxx += u.x * u.x, sxy += u.x * u.y, syy += u.y * u.y;
            bx += u.x * d, by += u.y * d;
            ++used;
        }
        const double det = sxx * syy - sxy * sxy;
        // Half the rays the example shows, or, on a mark 12 px or more
        // across, a third: where two overlap, each hides the arc of the
        // other that the example may show, and eight rays of that size
        // fitting within tenths are a disc's edge, no stroke's.
        if (used + widenedRays < (e.nearest >= 6 ? std::max(8, e.shown / 3) : e.shown / 2) || det < 1e-6)
            return std::nullopt;
        shift = {(syy * bx - sxy * by) / det, (sxx * by - sxy * bx) / det};
        if (std::hypot(shift.x, shift.y) > 3)
            return std::nullopt; // not settling: not this shape
        c = {c.x + shift.x, c.y + shift.y};
        // How far the rays that showed the shape miss it, by their median.
        int n = 0;
        for (int k = 0; k < Rays; ++k)
            if (e.shows[std::size_t(k)] && !widened[std::size_t(k)]) {
                const PixelPoint u = Directions[std::size_t(k)];
                misfits[std::size_t(n++)] = std::abs(residual[std::size_t(k)] - float(shift.x * u.x + shift.y * u.y));
            }
        std::nth_element(misfits.begin(), misfits.begin() + n / 2, misfits.begin() + n);
        spread = misfits[std::size_t(n / 2)];
        if (std::hypot(shift.x, shift.y) < 0.005 && pass > 0)
            break;
    }
    // Another shape of about the size leaves its outline short of the
    // example's, or beyond it, along a whole arc (a triangle's flat side
    // where a diamond has a tip): four rays in a row by over 0.3 px, which
    // noise along an edge seldom is. Beyond it, and leading into a ray that
    // runs on, the arc is where the ink widens into something touching the
    // mark (a neighbour, a line along its edge).
    {
        const auto &got = hollow ? o.inner : o.outer;
        auto runsOnAt = [&](int k) {
            const std::size_t i = std::size_t((k + Rays) % Rays);
            return runsOn(got[i], want[i]);
        };
        std::array<int, Rays> side{};
        for (int k = 0; k < Rays; ++k) {
            const PixelPoint u = Directions[std::size_t(k)];
            const double r = got[std::size_t(k)] - want[std::size_t(k)] - (shift.x * u.x + shift.y * u.y);
            const bool usable = e.shows[std::size_t(k)] && !runsOnAt(k);
            side[std::size_t(k)] = !usable || std::abs(r) <= e.arcSlack ? 0 : r > 0 ? 1 : -1;
        }
        if (side[0] != 0 && std::all_of(side.begin(), side.end(), [&](int v) { return v == side[0]; }))
            return std::nullopt;
        for (int start = 0; start < Rays; ++start) {
            const int sign = side[std::size_t(start)];
            if (sign == 0 || side[std::size_t((start + Rays - 1) % Rays)] == sign)
                continue; // not where a run starts
            int length = 1;
            while (side[std::size_t((start + length) % Rays)] == sign)
                ++length;
            if (length >= 4 && !(sign > 0 && (runsOnAt(start - 1) || runsOnAt(start + length))))
                return std::nullopt;
        }
    }
    // Half its rays missing the example's outline by over a third of a
    // pixel (or a seventh of its size): another shape that the shift
    // happened to balance (where a frame's lines meet, for a small mark
    // with a line through it). (The arc a neighbour widens is no part of
    // its outline.)
    for (int k = 0; k < Rays; ++k)
        if (widened[std::size_t(k)])
            (hollow ? o.inner : o.outer)[std::size_t(k)] = want[std::size_t(k)];
    if (!alike(e, o, 0.25f) || otherSmallShape(e, o) || spread > std::max(0.35, 0.15 * e.typical))
        return std::nullopt;
    if (misfit)
        *misfit = float(spread);
    return c;
}

// Whether a filled mark's ink runs off on one side and not on the other
// (a series' first mark, a neighbour touching it).
bool attachedOnOneSide(const MatchMap &map, const Example &e, PixelPoint c, double reach)
{
    Outline o;
    if (!traceOutline(map, c, false, reach, o))
        return false;
    auto runsOff = [&](int k) { return o.outer[std::size_t(k % Rays)] > 2.2f * e.nearest + 1.5f; };
    for (int k = 0; k < Rays / 2; ++k)
        if (runsOff(k) != runsOff(k + Rays / 2))
            return true;
    return false;
}

// The outline all the marks found show: along each ray the median over
// the marks clear of anything attached there (and beside it), where at
// least `fewest` are.
struct SharedOutline {
    std::array<float, Rays> edge{};
    std::array<bool, Rays> known{};
};

SharedOutline sharedOutline(const MatchMap &map, const Example &e, const std::vector<PixelPoint> &centres, double reach,
                            std::size_t fewest)
{
    const bool hollow = e.outline.hollow;
    const auto &want = hollow ? e.outline.inner : e.outline.outer;
    std::array<std::vector<float>, Rays> seen;
    for (const PixelPoint c : centres) {
        Outline o;
        if (!traceOutline(map, c, hollow, reach, o))
            continue;
        const auto &got = hollow ? o.inner : o.outer;
        auto clear = [&](int k) {
            const std::size_t i = std::size_t((k + Rays) % Rays);
            return std::abs(got[i] - want[i]) <= std::max(1.0f, 0.25f * want[i]) && got[i] < float(reach);
        };
        for (int k = 0; k < Rays; ++k)
            if (clear(k - 1) && clear(k) && clear(k + 1))
                seen[std::size_t(k)].push_back(got[std::size_t(k)]);
    }
    SharedOutline shared;
    for (std::size_t k = 0; k < Rays; ++k) {
        auto &v = seen[k];
        if (v.size() < std::max<std::size_t>(1, fewest))
            continue;
        std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(v.size() / 2), v.end());
        shared.edge[k] = v[v.size() / 2];
        shared.known[k] = true;
    }
    return shared;
}

// The example with the four corners its outer edge shows, measured once
// for every mark compared with it.
Example withCorners(Example e)
{
    e.corners = harmonicOf(e.outline.outer, e.shows, 4);
    return e;
}

// The example's outline as all the marks found show it, where three or
// more do (elsewhere the example's own).
Example commonExample(const MatchMap &map, const Example &e, const std::vector<PixelPoint> &centres, double reach)
{
    const SharedOutline shared = sharedOutline(map, e, centres, reach, 3);
    Example common = e;
    auto &edge = e.outline.hollow ? common.outline.inner : common.outline.outer;
    for (std::size_t k = 0; k < Rays; ++k)
        if (shared.known[k])
            edge[k] = shared.edge[k];
    return withCorners(common);
}

// The middle value (the upper of two), reordering `values`.
double medianOf(std::vector<double> &values)
{
    std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(values.size() / 2), values.end());
    return values[values.size() / 2];
}

// Small filled marks of another shape may differ from the example by less
// along each ray than marks of one kind differ among themselves, and yet
// lie larger or smaller all round (a 5 px disc's outline half a pixel
// outside a 5 px diamond's). Measured against the example, the marks of
// its kind gather about one size, taken from those within a seventh of a
// pixel of the example's own (where 4 px squares outnumber the discs a
// disc took, theirs would lead); a mark well off it is of another kind.
void dropOtherSizes(const MatchMap &map, const Example &e, std::vector<PixelPoint> &centres, double reach)
{
    std::vector<std::optional<double>> larger(centres.size());
    std::vector<double> near;
    for (std::size_t i = 0; i < centres.size(); ++i) {
        Outline o;
        if (traceOutline(map, centres[i], false, reach, o))
            larger[i] = largerThanExample(e, o);
        if (larger[i] && std::abs(*larger[i]) <= 0.15)
            near.push_back(*larger[i]);
    }
    if (near.size() < 3)
        return;
    const double usual = medianOf(near);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < centres.size(); ++i)
        if (!larger[i] || std::abs(*larger[i] - usual) <= 0.18)
            centres[kept++] = centres[i];
    centres.resize(kept);
}

// Where a line hides part of a small filled mark, the corners left to
// see tell it from another shape of its size by little more than noise
// (a 5 px triangle on its line beside diamonds through JPEG). Against the
// outline all the marks found share, the noise of the example's own is
// gone: the marks of its kind lie close to it, and one whose corners
// (three or four) differ by several times as much as most do is of
// another kind.
void dropOtherShapes(const MatchMap &map, const Example &e, std::vector<PixelPoint> &centres, double reach)
{
    const Example all = commonExample(map, e, centres, reach);
    std::vector<double> differs(centres.size()), sorted;
    std::vector<bool> hidden(centres.size());
    for (std::size_t i = 0; i < centres.size(); ++i) {
        Outline o;
        if (!traceOutline(map, centres[i], false, reach, o))
            continue;
        double noise = 0;
        const double corners3 = harmonic(o.outer, all.outline.outer, e.shows, 3, &noise);
        differs[i] = std::hypot(corners3, harmonic(o.outer, all.outline.outer, e.shows, 4));
        hidden[i] = noise >= 1.1;
        sorted.push_back(differs[i]);
    }
    if (sorted.size() < 3)
        return;
    const double most = medianOf(sorted);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < centres.size(); ++i)
        if (!hidden[i] || differs[i] <= std::max(0.2, 3 * most))
            centres[kept++] = centres[i];
    centres.resize(kept);
}

// A mark is wider than a line through it. Where the ink runs on from a
// small filled candidate, every way as wide as the example (at the
// example's reach past its outline, and as far again, where a touching
// neighbour has ended, unless on the way the ink runs on across further
// than a neighbour's half), the candidate is lines as wide as the mark: a
// stretch or a corner of a plot's frame beside 4 px triangles. So is it
// where just two lines nearly as wide meet at about a right angle (a
// frame's corner beside 4 px diamonds, through JPEG).
bool partOfALine(const MatchMap &map, const Example &e, PixelPoint c, double reach)
{
    Outline o;
    if (!traceOutline(map, c, false, reach, o))
        return false;
    std::array<bool, Rays> on{};
    for (std::size_t k = 0; k < Rays; ++k)
        on[k] = runsOn(o.outer[k], e.outline.outer[k]);
    // How far the ink reaches across the way it runs, each side of `p`,
    // up to `cap`.
    const double cap = 3 * e.farthest;
    auto across = [&](PixelPoint p, PixelPoint way) {
        std::array<double, 2> reached{};
        for (std::size_t side = 0; side < 2; ++side) {
            const double sign = side ? 1.0 : -1.0;
            double s = 0;
            while (s < cap && map.between(p.x + sign * s * way.x, p.y + sign * s * way.y) >= 0.5)
                s += Step;
            reached[side] = s;
        }
        return reached;
    };
    const double wide = 2 * e.nearest - 0.5;
    int arcs = 0;
    std::vector<PixelPoint> lines; // the arcs that run on along a line nearly as wide
    bool narrower = false;
    for (int k = 0; k < Rays; ++k) {
        // Each arc of rays that run on, from its first ray.
        if (!on[std::size_t(k)] || on[std::size_t((k + Rays - 1) % Rays)])
            continue;
        PixelPoint sum{0, 0};
        int n = 0;
        while (n < Rays && on[std::size_t((k + n) % Rays)]) {
            sum = {sum.x + Directions[std::size_t((k + n) % Rays)].x, sum.y + Directions[std::size_t((k + n) % Rays)].y};
            ++n;
        }
        const double length = std::hypot(sum.x, sum.y);
        if (length <= 0)
            return false;
        const PixelPoint u{sum.x / length, sum.y / length}, normal{-u.y, u.x};
        const double past = e.farthest + 1.5;
        // On past the mark as wide as it, and further on too, or on the way
        // there running on across (a frame's corner, a line crossing).
        // (Each further look from the middle of the ink at the one before:
        // the rays' mean way may be a few degrees off the line's, a pixel
        // aside at twice that.)
        std::array<std::array<double, 2>, 3> at; // past, half as far again, twice
        bool turns = false;
        PixelPoint p{c.x + past * u.x, c.y + past * u.y};
        for (std::size_t i = 0; i < at.size(); ++i) {
            at[i] = across(p, normal);
            turns = turns || std::max(at[i][0], at[i][1]) >= 2 * e.farthest;
            const double aside = 0.5 * (at[i][1] - at[i][0]);
            p = {p.x + aside * normal.x + 0.5 * past * u.x, p.y + aside * normal.y + 0.5 * past * u.y};
        }
        if (std::min(at[0][0] + at[0][1], at[1][0] + at[1][1]) >= 0.75 * wide)
            lines.push_back(u);
        if (at[0][0] + at[0][1] < wide || (at[2][0] + at[2][1] < wide && !turns))
            narrower = true;
        ++arcs;
    }
    if (arcs == 2 && lines.size() == 2 && std::abs(lines[0].x * lines[1].x + lines[0].y * lines[1].y) < 0.5)
        return true;
    return arcs > 0 && !narrower;
}

// Every mark is placed by the example's outline, and so shares any error
// in where the example's centre was taken (snapping's, on a filled mark a
// few pixels across, may be a fifth of a pixel off, and over a pixel
// where the example overlaps a neighbour); each mark's own snap errs its
// own way, with where its edges fall on the pixels. The median difference
// is that shared error. (Marks drawn pixel for pixel alike share
// snapping's error as well, and stay where they are.)
void withoutSharedOffset(const PixelBuffer &picture, std::vector<PixelPoint> &centres)
{
    std::vector<double> dx, dy;
    for (const PixelPoint c : centres)
        if (const auto own = snapToMark(picture, c); own && std::hypot(own->x - c.x, own->y - c.y) < 1.5) {
            dx.push_back(own->x - c.x);
            dy.push_back(own->y - c.y);
        }
    if (dx.size() < 3)
        return;
    const PixelPoint shared{medianOf(dx), medianOf(dy)};
    for (PixelPoint &c : centres)
        c = {c.x + shared.x, c.y + shared.y};
}

// All marks placed alike a little aside of their true centres show it in
// the outline they share: across a mirror of the shape (the upright or
// the level), one side lies further out than the other. The shift that
// makes the shared outline keep that mirror, where it then keeps it well.
void recentredOnMirrors(const MatchMap &map, const Example &e, std::vector<PixelPoint> &centres, double reach)
{
    const SharedOutline shared = sharedOutline(map, e, centres, reach, std::max<std::size_t>(3, centres.size() / 2));
    auto known = [&](std::size_t k) { return shared.known[k] && e.shows[k]; };
    const auto &common = shared.edge;
    PixelPoint shift{0, 0};
    for (const int mirror : {Rays / 2, 0}) { // the upright, the level
        // Each ray's half difference from its image, and its share across the mirror.
        std::vector<std::pair<double, double>> pairs;
        for (int k = 0; k < Rays; ++k) {
            const std::size_t image = std::size_t((mirror - k + 2 * Rays) % Rays);
            const PixelPoint u = Directions[std::size_t(k)];
            const double w = mirror == 0 ? u.y : u.x;
            if (known(std::size_t(k)) && known(image) && std::abs(w) > 0.1)
                pairs.emplace_back(0.5 * (common[std::size_t(k)] - common[image]), w);
        }
        if (pairs.size() < Rays / 2)
            continue;
        double across = 0, sum = 0;
        for (const auto &[half, w] : pairs)
            across += half * w, sum += w * w;
        const double d = -across / sum;
        double misfit = 0;
        for (const auto &[half, w] : pairs)
            misfit += (half + d * w) * (half + d * w);
        if (std::sqrt(misfit / double(pairs.size())) <= 0.1 && std::abs(d) <= 0.5)
            (mirror == 0 ? shift.y : shift.x) = d;
    }
    for (PixelPoint &c : centres)
        c = {c.x - shift.x, c.y - shift.y};
}

// Chamfer distance to paper, in thirds of a pixel; beyond the map is paper.
std::vector<std::uint16_t> depthOf(const MatchMap &map)
{
    const int w = map.area.width(), h = map.area.height();
    std::vector<std::uint16_t> d(std::size_t(w) * std::size_t(h));
    constexpr std::uint16_t Far = 60000;
    auto at = [&](int x, int y) -> std::uint16_t { return x < 0 || y < 0 || x >= w || y >= h ? 0 : d[std::size_t(y * w + x)]; };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::size_t i = std::size_t(y) * std::size_t(w) + std::size_t(x);
            if (map.level[i] < Half) {
                d[i] = 0;
                continue;
            }
            int v = Far;
            v = std::min({v, at(x - 1, y) + 3, at(x, y - 1) + 3, at(x - 1, y - 1) + 4, at(x + 1, y - 1) + 4});
            d[i] = std::uint16_t(v);
        }
    for (int y = h - 1; y >= 0; --y)
        for (int x = w - 1; x >= 0; --x) {
            const std::size_t i = std::size_t(y) * std::size_t(w) + std::size_t(x);
            if (!d[i])
                continue;
            int v = d[i];
            v = std::min({v, at(x + 1, y) + 3, at(x, y + 1) + 3, at(x + 1, y + 1) + 4, at(x - 1, y + 1) + 4});
            d[i] = std::uint16_t(v);
        }
    return d;
}

// The paper pixels of a map that hang together, as holes enclosed by ink.
struct Hole {
    long long area = 0;
    double sumX = 0, sumY = 0;
    int left = 0, top = 0, right = 0, bottom = 0;
    bool open = false; // reaches the map's edge
};

// Marks each paper pixel (below `paper`) reached from `start` in `seen`;
// stops recording (but keeps marking) once larger than `largest`. The
// pixels recorded are listed in `members`, where given.
Hole fillHole(const MatchMap &map, int start, std::vector<std::uint8_t> &seen, std::vector<int> &stack, long long largest,
              int paper = Clear, std::vector<int> *members = nullptr)
{
    const int w = map.area.width(), h = map.area.height();
    Hole hole;
    hole.left = hole.right = start % w;
    hole.top = hole.bottom = start / w;
    stack.clear();
    stack.push_back(start);
    seen[std::size_t(start)] = 1;
    while (!stack.empty()) {
        const int i = stack.back();
        stack.pop_back();
        const int x = i % w, y = i / w;
        if (++hole.area <= largest) {
            hole.sumX += x;
            hole.sumY += y;
            if (members)
                members->push_back(i);
        }
        hole.left = std::min(hole.left, x);
        hole.right = std::max(hole.right, x);
        hole.top = std::min(hole.top, y);
        hole.bottom = std::max(hole.bottom, y);
        if (x == 0 || y == 0 || x == w - 1 || y == h - 1)
            hole.open = true;
        const int next[4] = {x > 0 ? i - 1 : -1, x < w - 1 ? i + 1 : -1, y > 0 ? i - w : -1, y < h - 1 ? i + w : -1};
        for (const int n : next)
            if (n >= 0 && !seen[std::size_t(n)] && map.level[std::size_t(n)] < paper) {
                seen[std::size_t(n)] = 1;
                stack.push_back(n);
            }
    }
    return hole;
}

// Closes each hole of up to a few pixels (see `pinholed`), pixels paler
// than `below` enclosed by ink; where they were is marked in what it returns.
std::vector<std::uint8_t> closePinholes(MatchMap &map, int below)
{
    constexpr long long Largest = 4;
    std::vector<std::uint8_t> seen(map.level.size()), closed(map.level.size());
    std::vector<int> stack, members;
    for (std::size_t i = 0; i < map.level.size(); ++i) {
        if (seen[i] || map.level[i] >= below)
            continue;
        members.clear();
        const Hole hole = fillHole(map, int(i), seen, stack, Largest, below, &members);
        if (hole.open || hole.area > Largest)
            continue;
        for (const int j : members) {
            map.level[std::size_t(j)] = 255;
            closed[std::size_t(j)] = 1;
        }
    }
    return closed;
}

// Whether a closed pinhole lies within a pixel of `c`.
bool pinholeAt(const MatchMap &map, const std::vector<std::uint8_t> &closed, PixelPoint c)
{
    for (int y = int(std::floor(c.y - 1.5)); y <= int(std::floor(c.y + 0.5)); ++y)
        for (int x = int(std::floor(c.x - 1.5)); x <= int(std::floor(c.x + 0.5)); ++x)
            if (map.inside(x, y) && std::hypot(x + 0.5 - c.x, y + 0.5 - c.y) <= 1
                && closed[std::size_t((y - map.area.top) * map.area.width() + x - map.area.left)])
                return true;
    return false;
}

// The middle of a hole by its paper, or of a filled mark by its ink: the
// pixels clearly of it and those beside them, each weighed by how much of
// it it shows, so the soft edge places it to a fraction of a pixel. (Only
// the pixels side by side: past a corner of a thin outline lies the paper
// outside.) `area`: that weight, in pixels. None where a pixel clearly of
// it lies further than `reach` from `c` (a hole open, or another's; a
// line or a neighbour joined).
struct Middle {
    PixelPoint at;
    double area = 0;
};

std::optional<Middle> middleOf(const MatchMap &map, PixelPoint c, double reach, bool hole)
{
    const int radius = int(std::ceil(reach)) + 2;
    const int cx = int(std::floor(c.x)), cy = int(std::floor(c.y)), side = 2 * radius + 1;
    auto share = [&](int x, int y) { return hole ? 1 - map(x, y) / 255.0 : map(x, y) / 255.0; };
    auto clearly = [&](int x, int y) { return share(x, y) > 1 - Clear / 255.0; };
    if (!map.inside(cx, cy) || !clearly(cx, cy))
        return std::nullopt;
    std::vector<std::uint8_t> seen(std::size_t(side) * std::size_t(side));
    auto index = [&](int x, int y) { return std::size_t((y - cy + radius) * side + (x - cx + radius)); };
    std::vector<std::pair<int, int>> stack{{cx, cy}};
    seen[index(cx, cy)] = 1;
    double sum = 0, sx = 0, sy = 0;
    auto add = [&](int x, int y) {
        const double w = share(x, y);
        sum += w, sx += w * (x + 0.5), sy += w * (y + 0.5);
    };
    while (!stack.empty()) {
        const auto [x, y] = stack.back();
        stack.pop_back();
        if (std::hypot(x + 0.5 - c.x, y + 0.5 - c.y) > reach)
            return std::nullopt;
        add(x, y);
        for (const auto &[nx, ny] : {std::pair{x - 1, y}, std::pair{x + 1, y}, std::pair{x, y - 1}, std::pair{x, y + 1}}) {
            if (std::abs(nx - cx) >= radius || std::abs(ny - cy) >= radius || !map.inside(nx, ny))
                return std::nullopt;
            if (seen[index(nx, ny)])
                continue;
            seen[index(nx, ny)] = 1;
            if (clearly(nx, ny))
                stack.emplace_back(nx, ny);
            else
                add(nx, ny); // the soft edge
        }
    }
    if (sum <= 0)
        return std::nullopt;
    return Middle{{sx / sum, sy / sum}, sum};
}

float fromPaper(Rgb c, Rgb paper)
{
    return std::sqrt((c.r - paper.r) * (c.r - paper.r) + (c.g - paper.g) * (c.g - paper.g) + (c.b - paper.b) * (c.b - paper.b));
}

bool colourIn(const PixelBuffer &picture, double x, double y, Rgb &c)
{
    const int px = int(std::floor(x)), py = int(std::floor(y));
    if (px < 0 || py < 0 || px >= picture.width || py >= picture.height)
        return false;
    c = colourAt(picture, px, py);
    return true;
}

// Along each of 16 rays from `centre`, the colour furthest from paper in
// the first run of ink it meets (or, `within` a distance, anywhere there),
// darkest first. (Ink a quarter of the way from white paper to black, or
// more: JPEG tints a hole's middle by a sixth, which ended every ray there.)
std::vector<Rgb> darkestAlongRays(const PixelBuffer &picture, PixelPoint centre, Rgb paper, double within = 0)
{
    std::vector<Rgb> runs;
    for (int k = 0; k < 16; ++k) {
        const PixelPoint u = Directions[std::size_t(2 * k)];
        float best = 0;
        Rgb darkest;
        for (double s = 0; s <= (within > 0 ? within : Reach); s += 0.25) { // (every pixel the ray crosses)
            Rgb c;
            if (!colourIn(picture, centre.x + s * u.x, centre.y + s * u.y, c))
                break;
            const float d = fromPaper(c, paper);
            if (d > best) {
                best = d;
                darkest = c;
            } else if (within <= 0 && best > 64 && d < 0.5f * best) {
                break; // past the first run of ink
            }
        }
        if (best > 64)
            runs.push_back(darkest);
    }
    std::sort(runs.begin(), runs.end(), [&paper](Rgb a, Rgb b) { return fromPaper(a, paper) > fromPaper(b, paper); });
    return runs;
}

// Where the example's ink lies: its middle for a filled mark; for a hollow
// one, the darkest of the outline met along each ray (`runs`, from
// darkestAlongRays), taken a quarter from the darkest (see below).
Rgb inkOf(const PixelBuffer &picture, PixelPoint centre, Rgb paper, const std::vector<Rgb> &runs)
{
    const float strongest = runs.empty() ? 0 : fromPaper(runs.front(), paper);
    float r = 0, g = 0, b = 0;
    int n = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            Rgb c;
            if (colourIn(picture, centre.x + dx, centre.y + dy, c)) {
                r += c.r, g += c.g, b += c.b;
                ++n;
            }
        }
    if (n) {
        const Rgb middle{r / float(n), g / float(n), b / float(n)};
        if (fromPaper(middle, paper) >= 0.5f * strongest)
            return middle;
    }
    if (runs.empty())
        return paper;
    // Of the darkest points along the rays, the one a quarter from the
    // darkest: a thin anti-aliased outline is fully dark only where a ray
    // meets it square to the pixels, and the ink taken paler than that
    // would make its darkest pixels another, darker ink.
    return runs[runs.size() / 4];
}

// The colour of a hollow mark's outline, out to `outside`: the mean of the
// darker half of the darkest points along the rays (steadier through JPEG
// than one; JPEG tints a small ring's hole too).
Rgb outlineColourOf(const PixelBuffer &picture, PixelPoint centre, Rgb paper, double outside)
{
    const std::vector<Rgb> runs = darkestAlongRays(picture, centre, paper, outside);
    const std::size_t half = (runs.size() + 1) / 2;
    Rgb sum{0, 0, 0};
    for (std::size_t i = 0; i < half; ++i)
        sum = {sum.r + runs[i].r, sum.g + runs[i].g, sum.b + runs[i].b};
    return half ? Rgb{sum.r / float(half), sum.g / float(half), sum.b / float(half)} : paper;
}

// The deepest ink in the band round `c` where letters or lines beside it
// would cross (see surroundOf), by `depth` of `near`, in thirds of a pixel.
int deepestInBand(const MatchMap &near, const std::vector<std::uint16_t> &depth, PixelPoint c, double outside)
{
    const PixelRect &a = near.area;
    const double from = outside + 2, to = from + std::max(3.0, 0.5 * outside);
    int deepest = 0;
    for (int y = int(c.y - to) - 1; y <= int(c.y + to) + 1; ++y)
        for (int x = int(c.x - to) - 1; x <= int(c.x + to) + 1; ++x) {
            const double r = std::hypot(x + 0.5 - c.x, y + 0.5 - c.y);
            if (r >= from && r <= to && near.inside(x, y))
                deepest = std::max<int>(deepest, depth[std::size_t((y - a.top) * a.width() + x - a.left)]);
        }
    return deepest;
}

// Whether the pixels round `centre` take no more than a few colours: a mark
// drawn without smoothing (paper, its ink, its outline, a grid line), whose
// edges fall on whole pixels, where a smoothed or scanned one shades off.
bool drawnUnsmoothed(const PixelBuffer &picture, PixelPoint centre, double radius)
{
    const int r = int(std::ceil(std::min(radius, 40.0)));
    const PixelRect box = clippedTo({int(centre.x) - r, int(centre.y) - r, int(centre.x) + r + 1, int(centre.y) + r + 1}, picture);
    std::array<std::uint32_t, 6> seen{};
    std::size_t count = 0;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x) {
            const Rgb c = colourAt(picture, x, y);
            const std::uint32_t packed = std::uint32_t(c.r) << 20 ^ std::uint32_t(c.g) << 10 ^ std::uint32_t(c.b);
            if (std::find(seen.begin(), seen.begin() + std::ptrdiff_t(count), packed) != seen.begin() + std::ptrdiff_t(count))
                continue;
            if (count == seen.size())
                return false;
            seen[count++] = packed;
        }
    return true;
}

// How far from paper the pixels within `radius` of `centre` lie, summed:
// JPEG keeps a mark's colour only at every other pixel, spread into its
// hole and round it, but keeps its sum.
Rgb inkMassOf(const PixelBuffer &picture, PixelPoint centre, Rgb paper, double radius)
{
    Rgb sum{0, 0, 0};
    for (int y = int(std::floor(centre.y - radius)); y <= int(std::floor(centre.y + radius)); ++y)
        for (int x = int(std::floor(centre.x - radius)); x <= int(std::floor(centre.x + radius)); ++x) {
            Rgb c;
            const double dx = x + 0.5 - centre.x, dy = y + 0.5 - centre.y;
            if (dx * dx + dy * dy <= radius * radius && colourIn(picture, x, y, c))
                sum = {sum.r + c.r - paper.r, sum.g + c.g - paper.g, sum.b + c.b - paper.b};
        }
    return sum;
}

// How a colour difference `v` lies against the example's `e`: how far
// along it, in its lengths, and, squared, how far off its line.
struct Against {
    float along = 0, off2 = 0;
};
Against against(Rgb v, Rgb e)
{
    const float length2 = e.r * e.r + e.g * e.g + e.b * e.b;
    if (length2 <= 0)
        return {0, v.r * v.r + v.g * v.g + v.b * v.b};
    const float along = (v.r * e.r + v.g * e.g + v.b * e.b) / length2;
    const float r = v.r - along * e.r, g = v.g - along * e.g, b = v.b - along * e.b;
    return {along, r * r + g * g + b * b};
}

// Whether a mark's ink, summed round it (see inkMassOf), has the
// example's hue, within about 9 degrees: through JPEG a small mark's own
// pixels keep little of its colour (a thin outline's darkest of one
// colour strayed from each other by up to 0.15 of their depth, a red and
// a purple one by 0.1), but what they lose lies round them and in a
// hole, where the sum keeps it: of one colour within 4.4 degrees, of
// another 13 or more.
bool sameHue(Rgb mass, Rgb exampleMass)
{
    const Against hue = against(mass, exampleMass);
    return hue.along > 0 && hue.off2 <= 0.15f * 0.15f * (mass.r * mass.r + mass.g * mass.g + mass.b * mass.b);
}

// Whether a hollow mark's outline lies as far from paper as the example's
// within a third or so (a thin outline's darkest pixels vary that much):
// grey is not black. (A filled mark's depth is judged by its core.)
bool asDeep(Rgb outline, Rgb exampleOutline, Rgb paper)
{
    const float along = against({outline.r - paper.r, outline.g - paper.g, outline.b - paper.b},
                                {exampleOutline.r - paper.r, exampleOutline.g - paper.g, exampleOutline.b - paper.b})
                            .along;
    return along >= 0.7f && along <= 1.43f;
}

// Of the 3 × 3 pixels round `c`, the one furthest from paper towards
// `match`'s ink; paper where none lies in the picture.
Rgb darkestAround(const PixelBuffer &picture, const InkMatch &match, PixelPoint c)
{
    Rgb darkest;
    float deepest = -1;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int x = int(std::floor(c.x)) + dx, y = int(std::floor(c.y)) + dy;
            if (x < 0 || y < 0 || x >= picture.width || y >= picture.height)
                continue;
            const Rgb colour = colourAt(picture, x, y);
            if (match.along(colour) > deepest) {
                deepest = match.along(colour);
                darkest = colour;
            }
        }
    return deepest < 0 ? Rgb{} : darkest;
}

// The example's ink; where the darkest pixel of its middle is that ink
// deeper (a mark a few pixels across, whose middle takes in its soft
// edges), colours as deep count as the ink too, or the core of each such
// mark would be another ink, a hole in it. So for the darkest pixels of a
// hollow mark's outline (a thin one's ink is taken paler than those, and
// a purple ring's darkest were another ink, gaps in its outline).
InkMatch inkMatchOf(const PixelBuffer &picture, PixelPoint centre, Rgb paper)
{
    const std::vector<Rgb> runs = darkestAlongRays(picture, centre, paper);
    const Rgb ink = inkOf(picture, centre, paper, runs);
    const InkMatch plain(paper, ink, 1, true);
    Rgb darkest = darkestAround(picture, plain, centre);
    if (!runs.empty() && plain.at(picture, int(std::floor(centre.x)), int(std::floor(centre.y))) < 0.5f)
        darkest = runs.front();
    if (const float deepest = plain.along(darkest); deepest > 1) {
        const InkMatch deeper(paper, ink, deepest + 0.05f, true);
        if (deeper(darkest) >= 0.99f)
            return deeper;
    }
    return plain;
}

bool cancelled(const SearchControl &control)
{
    return control.cancel && control.cancel->load(std::memory_order_relaxed);
}

// Points kept apart by at least `radius`, found through a grid of cells that size.
class Spacing
{
public:
    explicit Spacing(double radius) : Radius(std::max(radius, 0.5)) {}
    bool free(PixelPoint p) const
    {
        return !anyNear(p, [&](PixelPoint, std::size_t, double d) { return d < Radius; });
    }
    void add(PixelPoint p, std::size_t index = 0) { Cells[key(cell(p.x), cell(p.y))].push_back({p, index}); }
    // Whether `stop(point, index, distance)` holds for a point added within
    // about the radius of `p` (in its cell or the next), asked of each until it does.
    template<class Stop>
    bool anyNear(PixelPoint p, Stop stop) const
    {
        const long long cx = cell(p.x), cy = cell(p.y);
        for (long long y = cy - 1; y <= cy + 1; ++y)
            for (long long x = cx - 1; x <= cx + 1; ++x) {
                const auto found = Cells.find(key(x, y));
                if (found == Cells.end())
                    continue;
                for (const auto &[q, index] : found->second)
                    if (stop(q, index, std::hypot(q.x - p.x, q.y - p.y)))
                        return true;
            }
        return false;
    }

private:
    long long cell(double v) const { return (long long)std::floor(v / Radius); }
    static long long key(long long x, long long y) { return (y << 32) ^ (x & 0xFFFFFFFF); }
    double Radius;
    std::unordered_map<long long, std::vector<std::pair<PixelPoint, std::size_t>>> Cells;
};

struct Seed {
    int depth;
    PixelPoint at;
};

} // namespace

PixelRect searchRegionOf(const std::array<PixelPoint, 3> &r, int width, int height)
{
    const PixelPoint fourth{r[1].x + r[2].x - r[0].x, r[1].y + r[2].y - r[0].y};
    double left = fourth.x, right = fourth.x, top = fourth.y, bottom = fourth.y;
    for (const PixelPoint &p : r) {
        left = std::min(left, p.x);
        right = std::max(right, p.x);
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    const double growX = 0.1 * (right - left), growY = 0.1 * (bottom - top);
    auto clamp = [](double v, int high) { return int(std::clamp(v, 0.0, double(high))); };
    return {clamp(std::floor(left - growX), width), clamp(std::floor(top - growY), height),
            clamp(std::ceil(right + growX), width), clamp(std::ceil(bottom + growY), height)};
}

MarkSearch findSimilarMarks(const PixelBuffer &picture, PixelPoint click, const PixelRect &wanted,
                            const SearchControl &control)
{
    MarkSearch result;
    if (!picture.data || picture.width <= 0 || picture.height <= 0)
        return result;
    const auto example = snapToMark(picture, click);
    if (!example)
        return result;
    result.example = *example;
    const PixelRect region = clippedTo(wanted, picture);
    const int ex = int(std::floor(example->x)), ey = int(std::floor(example->y));
    const int around = int(Reach) + 4;
    const PixelRect local = clippedTo({ex - around, ey - around, ex + around + 1, ey + around + 1}, picture);
    const Rgb paper = paperOf(picture, region.empty() ? local : region);
    const InkMatch match = inkMatchOf(picture, *example, paper);
    if (!match.usable())
        return result;

    // The example, measured on its own patch of the picture.
    MatchMap near = matchMap(picture, local, match);
    bool hollow = near.between(example->x, example->y) < 0.5;
    Example e;
    auto measure = [&] {
        Outline shape;
        if (!traceOutline(near, *example, hollow, Reach, shape))
            return false;
        e = exampleOf(shape, near, *example);
        symmetrise(e, e.outline.outer);
        if (hollow)
            symmetrise(e, e.outline.inner);
        e = withCorners(e);
        e.surround = surroundOf(near, *example, e.outside, true);
        return true;
    };
    if (!hollow)
        overFaintLines(near);
    if (!measure())
        return result;
    // A hollow mark 4 or 5 px across may have a hole of a pixel or two, too
    // few to place it by (through JPEG not even paper, only paler than the
    // ink round it): it is found as the filled mark it would be with the
    // hole closed, and each mark found must show such a pinhole.
    int palest = 255;
    for (int y = int(std::floor(example->y - 0.5)); y <= int(std::floor(example->y + 0.5)); ++y)
        for (int x = int(std::floor(example->x - 0.5)); x <= int(std::floor(example->x + 0.5)); ++x)
            if (near.inside(x, y))
                palest = std::min(palest, near(x, y));
    const int pinholeBelow = (palest + 255) / 2;
    std::vector<std::uint8_t> exampleHoles;
    if (palest < 200 && e.outside < 4 && (!hollow || e.nearest < 0.6f)) {
        MatchMap closed = near;
        exampleHoles = closePinholes(closed, pinholeBelow);
        if (pinholeAt(closed, exampleHoles, *example)) {
            near = std::move(closed);
            hollow = false;
            overFaintLines(near);
            if (!measure())
                return result;
        } else if (hollow) {
            return result;
        } else {
            exampleHoles.clear();
        }
    }
    const bool pinholed = !exampleHoles.empty();
    // How deep a filled example's ink goes, in thirds of a pixel.
    std::vector<std::uint16_t> nearDepth;
    int exampleDepth = 0;
    if (!hollow) {
        nearDepth = depthOf(near);
        for (int y = ey - 1; y <= ey + 1; ++y)
            for (int x = ex - 1; x <= ex + 1; ++x)
                if (near.inside(x, y))
                    exampleDepth = std::max<int>(exampleDepth, nearDepth[std::size_t((y - local.top) * local.width() + x - local.left)]);
    }
    // A small example with ink just outside it along many rays stands
    // among other ink as a letter among the letters of its word, or is the
    // dot of an i: a label, not a mark. (A line and error bars through a
    // small mark meet the band along four rays, a tenth of it.) So does a
    // small filled one with two things or more round it that paper parts
    // from it (the stem under an i's dot and the letter beside it, the next
    // letters round a stroke of an m): what runs on from a mark, its line
    // and error bars, is joined to it. Not a filled one 8 px or more across
    // whose ink goes twice as deep as any round it, though: an i's dot is no
    // wider than the stem under it; that is a dot set on a label's thinner
    // strokes, or on lines.
    const bool amidLetters = e.outside <= 7
        && ((e.surround.directions >= 7 && e.surround.share >= 0.1)
            || (!hollow && e.surround.directions >= 5 && e.surround.apart >= 2));
    auto dotOnThinnerStrokes = [&] {
        return !hollow && exampleDepth >= 12 && exampleDepth >= 2 * deepestInBand(near, nearDepth, *example, e.outside);
    };
    if (amidLetters && !dotOnThinnerStrokes())
        return result;
    // So is a small hollow one with more than one thing round it, in three
    // directions or more (the bowl of an o, a d or a p between the letters
    // beside it), as no mark found like it may be (below). (Hollow marks
    // among grid lines meet one thing there, a line or a crossing.)
    if (hollow && e.outside <= 7 && e.typical <= 4 && e.surround.directions - e.surround.passing >= 3
        && e.surround.things - e.surround.passingThings >= 2)
        return result;
    // Whether the example is drawn on whole pixels, without smoothing.
    const bool wholePixels = drawnUnsmoothed(picture, *example, e.outside + 2);
    // And a small hole stretched by a tenth or more, taller than wide or
    // wider than tall (an o's, an e's): marks are drawn round or regular,
    // and a round or square hole nearly keeps the mirrors across its
    // diagonals, which, made exact, leave it no stretch at all. (A real
    // chart's triangle that is not quite equilateral is stretched by 0.07
    // of its size; drawn without smoothing, one a pixel taller than wide,
    // by a tenth of a pixel more.)
    if (hollow && e.typical <= 4) {
        const auto stretch = harmonicOf(e.outline.inner, e.shows, 2);
        if (stretch && std::hypot(stretch->cos, stretch->sin) > 0.1 * e.typical
            && (std::hypot(stretch->cos, stretch->sin) > 0.1 * e.typical + 0.1 || !wholePixels))
            return result;
    }
    // (Through JPEG a 5 px ring's hole is a little over a pixel across.)
    if (e.shown < Rays / 2 || e.nearest < (hollow ? 0.6f : 0.75f) || e.farthest >= float(Reach) - 1)
        return result;
    const double reach = std::min(Reach, 1.6 * e.farthest + 2);
    Hole exampleHole;
    {
        if (!hollow) {
            if (exampleDepth < 3)
                return result;
        } else {
            std::vector<std::uint8_t> seen(near.level.size());
            std::vector<int> stack;
            const int start = (ey - local.top) * local.width() + (ex - local.left);
            if (near.level[std::size_t(start)] >= Clear)
                return result;
            exampleHole = fillHole(near, start, seen, stack, 1LL << 40);
            if (exampleHole.open)
                return result;
        }
    }
    if (region.empty()) {
        result.outcome = MarkSearch::Found;
        return result;
    }

    // Seeds: in filled ink, where the depth peaks at about the example's;
    // in paper, the middles of holes of about the example's hole.
    MatchMap map = matchMap(picture, region, match);
    const std::vector<std::uint8_t> holes = pinholed ? closePinholes(map, pinholeBelow) : std::vector<std::uint8_t>();
    if (!hollow)
        overFaintLines(map);
    if (cancelled(control)) {
        result.outcome = MarkSearch::Cancelled;
        return result;
    }
    std::vector<Seed> seeds;
    const int w = region.width(), h = region.height();
    if (!hollow) {
        const std::vector<std::uint16_t> depth = depthOf(map);
        const int lowest = std::max(2, std::min(exampleDepth - 2, int(0.7 * exampleDepth)));
        const int highest = int(1.4 * exampleDepth) + 4;
        for (int y = 0; y < h; ++y) {
            if ((y & 255) == 0 && cancelled(control)) {
                result.outcome = MarkSearch::Cancelled;
                return result;
            }
            const std::uint16_t *row = depth.data() + std::size_t(y) * std::size_t(w);
            for (int x = 0; x < w; ++x) {
                const int d = row[x];
                if (d < lowest || d > highest)
                    continue;
                bool peak = true;
                for (int dy = -1; dy <= 1 && peak; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = x + dx, ny = y + dy;
                        if (nx >= 0 && ny >= 0 && nx < w && ny < h && depth[std::size_t(ny * w + nx)] > d) {
                            peak = false;
                            break;
                        }
                    }
                if (peak)
                    seeds.push_back({d, {region.left + x + 0.5, region.top + y + 0.5}});
            }
        }
        std::stable_sort(seeds.begin(), seeds.end(), [](const Seed &a, const Seed &b) { return a.depth > b.depth; });
    } else {
        std::vector<std::uint8_t> seen(map.level.size());
        std::vector<int> stack;
        const long long area = exampleHole.area;
        const int holeWidth = exampleHole.right - exampleHole.left + 1, holeHeight = exampleHole.bottom - exampleHole.top + 1;
        for (int i = 0; i < w * h; ++i) {
            if (seen[std::size_t(i)] || map.level[std::size_t(i)] >= Clear)
                continue;
            if ((i & 0xFFFF) == 0 && cancelled(control)) {
                result.outcome = MarkSearch::Cancelled;
                return result;
            }
            const Hole hole = fillHole(map, i, seen, stack, 2 * area);
            const int hw = hole.right - hole.left + 1, hh = hole.bottom - hole.top + 1;
            // (A pixel less across is rounding for a small mark's hole.)
            if (hole.open || hole.area * 2 < area || hole.area > 2 * area || (hw + 1) * 5 < holeWidth * 3
                || hw * 5 > holeWidth * 8 + 10 || (hh + 1) * 5 < holeHeight * 3 || hh * 5 > holeHeight * 8 + 10)
                continue;
            seeds.push_back({0, {region.left + hole.sumX / double(hole.area) + 0.5, region.top + hole.sumY / double(hole.area) + 0.5}});
        }
    }

    // Each seed snapped as a click there would be, and kept where its
    // outline is the example's and no kept mark has that centre.
    Spacing seedsApart(0.35 * e.nearest);
    Spacing marksApart(std::max(1.5, 0.45 * double(e.nearest)));
    std::vector<float> misfits; // of each kept mark to the example
    std::vector<std::optional<PixelPoint>> snaps; // snapping's centre, where it was taken into each
    const double agreeing = hollow ? 0.5 : std::min(0.5, 0.1 * e.typical); // fit and snapping, to be averaged
    std::vector<std::pair<PixelPoint, float>> touching; // and its misfit
    // How deep the ink of a filled mark's core goes, by its darkest pixel.
    // A mark of a paler ink of the same hue (grey beside black), or of
    // another hue whose rims JPEG takes towards this ink, goes less deep
    // than the example, a darker ink (black beside grey) deeper. (Through
    // the example's own ink, not the map's share of it: a small mark's
    // ink is taken paler than its core.)
    auto deepestInk = [&](PixelPoint c) { return match.along(darkestAround(picture, match, c)); };
    const float exampleInk = deepestInk(*example);
    const Rgb exampleOutline = hollow ? outlineColourOf(picture, *example, paper, e.outside + 1) : paper;
    // (Out to the example's outline and a little past it: a line running
    // on from a large mark may carry its outside far out, among other
    // series.)
    const double massRadius = std::min(double(e.outside), 1.5 * e.typical + 2) + 2;
    const Rgb exampleMass = inkMassOf(picture, *example, paper, massRadius);
    // Whether a mark found stands apart from other ink as a mark does;
    // a hollow one among other ink may yet, where that ink is other marks
    // found round it (below).
    enum class Standing { Apart, AmongInk, Not };
    // Small and hollow marks look like letters: those must stand apart.
    // (A hole over 8 px across is larger than a label's letters; its mark
    // may have a line in and out where a scan faded the example's on one
    // side. Each line through the example may cross the band round another
    // mark along two rays, where it leaves at a slant. Judged again
    // without the marks round it, the rest must be as clear as round the
    // example: two hollow letters side by side each clear the other of
    // most of the ink round it.)
    auto amongLetters = [&](PixelPoint c, const std::vector<PixelPoint> &marksAround) {
        if (!hollow && e.outside > 5)
            return Standing::Apart;
        const Surround around = surroundOf(map, c, e.outside, false, marksAround);
        // (A series line through a hollow example is left out of the ink
        // round each mark found, as a line passing by: it allows them none.)
        const int lines = hollow && e.surround.passesThrough
            ? std::max(e.surround.directions - e.surround.passing + 2, 2 * (e.surround.things - e.surround.passingThings) + 1)
            : std::max(e.surround.directions + 2, 2 * e.surround.things + 1);
        const int allowed = marksAround.empty() ? std::max(lines, e.typical > 4 ? 6 : 3) : e.surround.directions + 1;
        if (around.share > e.surround.share + (hollow ? 0.15 : 0.3)
            || (hollow && around.directions - around.passing >= allowed))
            return hollow ? Standing::AmongInk : Standing::Not;
        return Standing::Apart;
    };
    auto standing = [&](PixelPoint c) {
        if (small(e) && !hollow && partOfALine(map, e, c, reach))
            return Standing::Not;
        if (!hollow) {
            const float ink = deepestInk(c);
            if (ink < 0.88f * exampleInk || 0.88f * ink > exampleInk)
                return Standing::Not;
        }
        if (pinholed && !pinholeAt(map, holes, c))
            return Standing::Not;
        if (!sameHue(inkMassOf(picture, c, paper, massRadius), exampleMass)
            || (hollow && !asDeep(outlineColourOf(picture, c, paper, e.outside + 1), exampleOutline, paper)))
            return Standing::Not;
        return amongLetters(c, {});
    };
    struct Crowded {
        PixelPoint at;
        float misfit;
        std::optional<PixelPoint> snap;
    };
    std::vector<Crowded> crowded;
    std::size_t examined = 0;
    // One seed looked at as a mark of `shape`: kept, set aside among ink or
    // beside a neighbour, or passed over. True where its outline is not that
    // shape.
    auto lookAt = [&](const Seed &seed, const Example &shape) {
        // Cheap first: the outline round the seed itself, which may lie a
        // pixel from the centre.
        Outline o;
        const bool likely = traceOutline(map, seed.at, hollow, reach, o) && alike(shape, o, 1.5f);
        // A mark that another overlaps peaks off its centre, towards the
        // other: as deep as the example, it is looked at from where
        // snapping puts it.
        if (!likely && (hollow || seed.depth < exampleDepth - 2))
            return true;
        // Started where snapping puts the mark, or else at the seed.
        const auto snapped = snapToMark(picture, seed.at);
        const bool near = snapped && std::hypot(snapped->x - seed.at.x, snapped->y - seed.at.y) <= 0.5 * shape.nearest + 2;
        Outline atSnap;
        const bool tracedAtSnap = !likely && near && traceOutline(map, *snapped, hollow, reach, atSnap);
        if (!likely && (!tracedAtSnap || !alike(shape, atSnap, 1.5f)))
            return true;
        float misfit = Reach;
        auto centre = fitted(map, shape, near ? *snapped : seed.at, reach, &misfit);
        // Snapping may take a mark and one touching or overlapping it for
        // one and settle between them, where the fit fails or runs on to
        // the other mark; the seed lies inside this one.
        if (near && likely && (!centre || std::hypot(centre->x - seed.at.x, centre->y - seed.at.y) > 0.5 * shape.nearest + 0.5)) {
            float ownMisfit = Reach;
            const auto own = fitted(map, shape, seed.at, reach, &ownMisfit);
            if (own && std::hypot(own->x - seed.at.x, own->y - seed.at.y) <= 0.5 * shape.nearest + 0.5) {
                centre = own;
                misfit = ownMisfit;
            }
        }
        // A filled mark that another overlaps: the arc of its outline the
        // other widens draws the fit towards that one, up to a pixel from
        // where snapping put it; fitted without that arc, the two agree.
        if (centre && near && !hollow && std::hypot(centre->x - snapped->x, centre->y - snapped->y) > 2 * agreeing) {
            float asideMisfit = Reach;
            if (const auto aside = fitted(map, shape, *snapped, reach, &asideMisfit, true);
                aside && std::hypot(aside->x - snapped->x, aside->y - snapped->y) <= agreeing) {
                centre = aside;
                misfit = asideMisfit;
            }
        }
        // Where both measures agree, their mean: the fit follows the
        // example's own outline, snapping the mark's symmetry (which
        // something attached on one side only pulls aside).
        std::optional<PixelPoint> snapTaken;
        if (centre && near && std::hypot(centre->x - snapped->x, centre->y - snapped->y) <= agreeing
            && (hollow || !attachedOnOneSide(map, shape, *centre, reach))) {
            centre = PixelPoint{0.5 * (centre->x + snapped->x), 0.5 * (centre->y + snapped->y)};
            snapTaken = snapped;
        }
        // A mark rounded to whole pixels otherwise than the example: the
        // fit chases the difference, but from snapping's centre its outline
        // is the example's within that rounding, and hardly anywhere ends
        // past it (a triangle's corner beside a diamond's side).
        if (!centre && near && (tracedAtSnap || traceOutline(map, *snapped, hollow, reach, atSnap)) && alike(shape, atSnap, 0.35f, 1)
            && !otherSmallShape(shape, atSnap)) {
            centre = snapped;
            // A hole's fit would chase the rounding again; a small filled
            // mark's may have failed on a scan's noise along one side, and
            // the outline all marks show may yet fit it.
            misfit = hollow ? 0 : float(Reach);
        }
        // A small filled mark touching another, through a scan: fitted
        // without the arc the other widens, and kept once that other is
        // found (below).
        if (!centre && likely && !hollow && small(shape)) {
            float asideMisfit = Reach;
            if (const auto aside = fitted(map, shape, near ? *snapped : seed.at, reach, &asideMisfit, true))
                touching.push_back({*aside, asideMisfit});
            return false;
        }
        if (!centre)
            return true;
        if (!marksApart.free(*centre))
            return false;
        if (const Standing stands = standing(*centre); stands != Standing::Apart) {
            if (stands == Standing::AmongInk)
                crowded.push_back({*centre, misfit, snapTaken});
            return false;
        }
        marksApart.add(*centre);
        result.centres.push_back(*centre);
        misfits.push_back(misfit);
        snaps.push_back(snapTaken);
        return false;
    };
    std::vector<Seed> otherShapes; // seeds whose outline is not the example's
    for (const Seed &seed : seeds) {
        if ((examined & 63) == 0 && cancelled(control)) {
            result.outcome = MarkSearch::Cancelled;
            return result;
        }
        if (!hollow) {
            if (!seedsApart.free(seed.at))
                continue;
            seedsApart.add(seed.at);
        }
        if (++examined > 20 * control.cap) {
            result.outcome = MarkSearch::Capped;
            break;
        }
        if (lookAt(seed, e))
            otherShapes.push_back(seed);
        if (result.centres.size() >= control.cap) {
            result.outcome = MarkSearch::Capped;
            break;
        }
    }
    // Marks drawn without smoothing fall on whole pixels, a tip a pixel
    // wider or blunter on one than on the next, and the example is one of
    // them (or has a line across it): those its outline refused are looked
    // at again as the shape all the marks found share. (Smoothed marks
    // differ by tenths, as much as a shape of about the size does, drawn
    // so; the example's own outline holds for them.)
    if (result.outcome != MarkSearch::Capped && result.centres.size() >= 3 && !otherShapes.empty()
        && wholePixels) {
        Example all = commonExample(map, e, result.centres, reach);
        all.arcSlack = 0.6f;
        for (std::size_t i = 0; i < otherShapes.size() && result.centres.size() < control.cap; ++i) {
            if ((i & 63) == 0 && cancelled(control)) {
                result.outcome = MarkSearch::Cancelled;
                return result;
            }
            lookAt(otherShapes[i], all);
        }
        if (result.centres.size() >= control.cap)
            result.outcome = MarkSearch::Capped;
    }
    // Half an outline of one small shape is much like half of another's: a
    // mark fitted beside a neighbour is one where that neighbour is a mark
    // found.
    for (const auto &[at, misfit] : touching) {
        const PixelPoint c = at; // (a lambda may not take a structured binding in every compiler)
        if (result.centres.size() >= control.cap || !marksApart.free(c) || standing(c) != Standing::Apart)
            continue;
        const bool besideAMark = std::any_of(result.centres.begin(), result.centres.end(), [&](PixelPoint f) {
            return std::hypot(f.x - c.x, f.y - c.y) <= 2 * e.farthest + 1;
        });
        if (!besideAMark)
            continue;
        marksApart.add(c);
        result.centres.push_back(c);
        misfits.push_back(misfit);
        snaps.push_back(std::nullopt);
    }
    // A hollow mark among marks found (a cluster of them, a neighbour
    // beside it on a grid line), judged again without their outlines. Of
    // those among ink like it, the ones kept are those that stand apart
    // without the others kept: a letter stands among letters, and with
    // the word's other letters in the way one after another falls, and
    // with it the letters beside it. (A few rounds: where the last still
    // drops some, none is kept.)
    // Each one's neighbours among the marks and the others, found through
    // a grid of cells as wide as the reach: the marks first, then these.
    const double crowding = 3 * e.outside + 8;
    const std::size_t standingAlone = result.centres.size();
    auto pointAt = [&](std::size_t k) { return k < standingAlone ? result.centres[k] : crowded[k - standingAlone].at; };
    Spacing grid(crowding);
    if (!crowded.empty())
        for (std::size_t k = 0; k < standingAlone + crowded.size(); ++k)
            grid.add(pointAt(k), k);
    std::vector<std::vector<std::size_t>> neighbours(crowded.size());
    for (std::size_t i = 0; i < crowded.size(); ++i)
        grid.anyNear(crowded[i].at, [&](PixelPoint, std::size_t k, double d) {
            if (d > 0 && d <= crowding)
                neighbours[i].push_back(k);
            return false;
        });
    std::vector<bool> kept(crowded.size(), true), again(crowded.size(), true);
    for (int round = 0; !crowded.empty(); ++round) {
        std::vector<std::size_t> droppedNow;
        for (std::size_t i = 0; i < crowded.size(); ++i) {
            if (!kept[i] || !again[i])
                continue;
            again[i] = false;
            std::vector<PixelPoint> around;
            for (const std::size_t k : neighbours[i])
                if (k < standingAlone || kept[k - standingAlone])
                    around.push_back(pointAt(k));
            if (around.empty() || amongLetters(crowded[i].at, around) != Standing::Apart)
                droppedNow.push_back(i);
        }
        if (droppedNow.empty())
            break;
        // Those beside one dropped are judged again, with its ink.
        for (const std::size_t i : droppedNow) {
            kept[i] = false;
            for (const std::size_t k : neighbours[i])
                if (k >= standingAlone)
                    again[k - standingAlone] = true;
        }
        if (round == 4)
            kept.assign(kept.size(), false);
    }
    for (std::size_t i = 0; i < crowded.size(); ++i) {
        if (!kept[i] || !marksApart.free(crowded[i].at))
            continue;
        if (result.centres.size() >= control.cap) {
            result.outcome = MarkSearch::Capped;
            break;
        }
        marksApart.add(crowded[i].at);
        result.centres.push_back(crowded[i].at);
        misfits.push_back(crowded[i].misfit);
        snaps.push_back(crowded[i].snap);
    }
    // Each mark fitted again to the outline all of them show, from where it
    // was found, and moved where that fits it better than the example did:
    // a line or a neighbour at the example, or the way its edges fell on
    // the pixels, no longer pulls every centre alike; marks drawn pixel for
    // pixel like the example (a screenshot's) keep its fit. Each is fitted
    // without an arc a neighbour widens, as that fit would draw it on
    // towards the neighbour. (Not where the search stopped at the cap: that
    // is said at once.)
    if (result.centres.size() >= 3 && result.outcome != MarkSearch::Capped) {
        const Example all = commonExample(map, e, result.centres, reach);
        for (std::size_t i = 0; i < result.centres.size(); ++i) {
            if ((i & 63) == 0 && cancelled(control)) {
                result.outcome = MarkSearch::Cancelled;
                return result;
            }
            PixelPoint &c = result.centres[i];
            float misfit = 0;
            const auto refined = fitted(map, all, c, reach, &misfit, true);
            if (refined && misfit < misfits[i] && std::hypot(refined->x - c.x, refined->y - c.y) <= 1) {
                c = *refined;
                // A hollow mark averaged with snapping again, as it was when
                // found: the fit to a small hole alone may miss by a third of
                // a pixel where a scan has worn the hole wider on one side.
                if (const auto &snap = snaps[i]; hollow && snap && std::hypot(c.x - snap->x, c.y - snap->y) <= agreeing)
                    c = {0.5 * (c.x + snap->x), 0.5 * (c.y + snap->y)};
            }
        }
    }
    if (small(e) && !hollow && result.outcome != MarkSearch::Capped) {
        dropOtherSizes(map, e, result.centres, reach);
        dropOtherShapes(map, e, result.centres, reach);
        withoutSharedOffset(picture, result.centres);
        if (result.centres.size() >= 3)
            recentredOnMirrors(map, e, result.centres, reach);
    }
    // Each mark at the middle of its hole's paper or its own ink, where
    // that stands apart and is the example's size: a filled mark's rays
    // must all end within a pixel of the example's outmost edge, not run
    // along a line (a scan or a pale ink may have paled the line, which
    // then stops short of the flood's limit, yet pulls its middle). Done
    // for filled marks up to about 10 px across: larger ones are fitted by
    // enough pixels, and a coloured one through JPEG spreads its colour
    // aside, on the blocks it was coded in.
    if (result.outcome != MarkSearch::Capped && (hollow || e.typical < 5)) {
        const double radius = hollow ? e.farthest + 1 : 1.6 * e.typical + 1;
        auto apart = [&](PixelPoint c) {
            Outline o;
            return hollow
                || (traceOutline(map, c, false, reach, o)
                    && *std::max_element(o.outer.begin(), o.outer.end()) <= std::min(radius, e.farthest + 1.0));
        };
        if (const auto own = middleOf(near, *example, radius, hollow))
            for (PixelPoint &c : result.centres)
                if (const auto middle = middleOf(map, c, radius, hollow);
                    middle && std::abs(middle->area - own->area) <= (hollow ? 0.25 : 0.15) * own->area
                    && std::hypot(middle->at.x - c.x, middle->at.y - c.y) <= 0.5 && apart(c))
                    c = middle->at;
    }
    if (result.outcome != MarkSearch::Capped)
        result.outcome = MarkSearch::Found;
    std::sort(result.centres.begin(), result.centres.end(),
              [](PixelPoint a, PixelPoint b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
    return result;
}

} // namespace pontiva

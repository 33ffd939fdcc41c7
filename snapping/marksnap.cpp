// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The centre of a mark near a position: filled or hollow, 3 to about 70 px.
#include "snapping/marksnap.h"

#include "snapping/inkdepth.h"
#include "snapping/snapwindow.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace pontiva {

namespace {

constexpr double Pi = 3.14159265358979323846;
// The first look covers marks up to about 16 px across around the pointer;
// where that finds nothing, or only ink, the wide one covers the largest.
constexpr int FirstRadius = 16;
constexpr int WideRadius = SnapWindow::MaxRadius;
constexpr int Side = SnapWindow::MaxSide;
// A filled mark has a pixel at least this far inside its ink (in thirds): a
// 1 or 2 pixel line does not.
constexpr int CoreDepth = 6;
constexpr int Rays = 48; // a half, a third and a quarter turn are whole numbers of rays

struct Directions {
    std::array<double, Rays> x, y;
    Directions()
    {
        for (int k = 0; k < Rays; ++k) {
            x[std::size_t(k)] = std::cos(2 * Pi * k / Rays);
            y[std::size_t(k)] = std::sin(2 * Pi * k / Rays);
        }
    }
};
const Directions Ray;

double distance(double dx, double dy)
{
    return std::sqrt(dx * dx + dy * dy); // std::hypot guards against overflow at many times the cost
}

// CrossedHole: a hole a line runs through, which no outline is measured
// round: the snap is refused there, not taken to where the line meets it.
enum class Kind { Filled, Small, Hollow, OnLine, CrossedHole };

struct Candidate {
    Kind kind = Kind::Filled;
    double x = 0, y = 0; // centre, window coordinates
    double radius = 0;   // inscribed (filled), half the extent (small), of the hole (hollow)
};
using Candidates = std::array<Candidate, 48>;

// Filled marks: where the distance to paper peaks. A peak must fall away
// in every direction: along a thick line or a bar the depth stays, so its
// ridge is no mark; a mark on such a line still has its own peak. A peak
// well inside a deeper one's inscribed disc is that mark's; one further out
// may be an overlapping twin.
int filledMarks(const InkDepth &depth, const SnapWindow &w, Candidates &found, int count)
{
    constexpr int Axes[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
    constexpr double Diagonal = 0.70710678118654752;
    constexpr double Eight[8][2] = {{1, 0}, {Diagonal, Diagonal}, {0, 1}, {-Diagonal, Diagonal},
                                    {-1, 0}, {-Diagonal, -Diagonal}, {0, -1}, {Diagonal, -Diagonal}};
    struct Peak {
        int x, y, depth;
    };
    std::array<Peak, 512> peaks;
    int n = 0;
    for (int y = 0; y < w.height(); ++y)
        for (int x = 0; x < w.width(); ++x) {
            const int d = depth(x, y);
            if (d < CoreDepth)
                continue;
            bool top = true;
            for (int dy = -1; dy <= 1 && top; ++dy)
                for (int dx = -1; dx <= 1 && top; ++dx)
                    top = depth(x + dx, y + dy) <= d;
            // Inside a ridge the depth stays the same both ways along it: no
            // peak (and a long thick line would crowd out the marks).
            bool ridge = false;
            for (const auto &a : Axes)
                ridge = ridge || (depth(x - a[0], y - a[1]) == d && depth(x + a[0], y + a[1]) == d);
            if (top && !ridge && n < int(peaks.size()))
                peaks[std::size_t(n++)] = {x, y, d};
        }
    std::sort(peaks.begin(), peaks.begin() + n, [](const Peak &a, const Peak &b) { return a.depth > b.depth; });
    const int first = count;
    for (int i = 0; i < n && count < int(found.size()); ++i) {
        const Peak &p = peaks[std::size_t(i)];
        // A flat top of neighbouring pixels (an even-sized mark's) is one peak, at its middle.
        double cx = 0, cy = 0;
        int flat = 0;
        int lo = i; // equal depths lie together once sorted
        while (lo > 0 && peaks[std::size_t(lo - 1)].depth == p.depth)
            --lo;
        for (int j = lo; j < n && peaks[std::size_t(j)].depth == p.depth; ++j)
            if (std::abs(peaks[std::size_t(j)].x - p.x) <= 1 && std::abs(peaks[std::size_t(j)].y - p.y) <= 1) {
                cx += peaks[std::size_t(j)].x + 0.5;
                cy += peaks[std::size_t(j)].y + 0.5;
                ++flat;
            }
        cx /= flat;
        cy /= flat;
        const bool inside = std::any_of(found.begin() + first, found.begin() + count, [&](const Candidate &c) {
            return distance(c.x - cx, c.y - cy) < std::max(1.5, 0.75 * c.radius); // an overlapping twin is further
        });
        if (inside)
            continue;
        // The fall: a pixel past the inscribed disc, in eight directions.
        // Along a ridge two opposite ones keep the depth; a mark that
        // another overlaps keeps it only towards that one.
        const double r = p.depth / 3.0, step = r + 1;
        int kept = 0;
        for (int k = 0; k < 8; ++k) {
            const int sx = int(std::floor(cx + step * Eight[k][0])), sy = int(std::floor(cy + step * Eight[k][1]));
            const int d = sx >= 0 && sy >= 0 && sx < w.width() && sy < w.height() ? depth(sx, sy) : 0;
            // Where the peak is hardly deeper than a stroke (the corner of
            // two 2 px lines), a stroke leaving it keeping half its depth is
            // one that stays.
            kept += p.depth < 9 ? p.depth - d <= std::max(3.0, 0.5 * p.depth) : p.depth - d < std::max(3.0, 0.25 * p.depth);
        }
        if (kept > 1)
            continue;
        found[std::size_t(count++)] = {Kind::Filled, cx, cy, r};
    }
    return count;
}

// Connected pixels of one kind (ink, or paper), by their labels.
struct Blob {
    int minX = Side, minY = Side, maxX = -1, maxY = -1;
    int area = 0;
    double sx = 0, sy = 0;
    bool border = false;
};

// Labelled by runs along each row, joined where they touch a run of the
// row above (4-connected): far fewer steps than pixel by pixel. Blobs come
// in the order of their first pixel, row by row.
template <typename Member>
int blobs(const SnapWindow &w, Member member, std::array<Blob, 64> &out)
{
    struct Run {
        int y, from, to, parent; // pixels [from, to) of row y
    };
    std::array<Run, Side * (Side + 1) / 2> runs;
    int count = 0;
    auto root = [&runs](int i) {
        while (runs[std::size_t(i)].parent != i)
            i = runs[std::size_t(i)].parent = runs[std::size_t(runs[std::size_t(i)].parent)].parent;
        return i;
    };
    int above = 0, aboveEnd = 0; // the row above's runs not yet passed
    for (int y = 0; y < w.height(); ++y) {
        const int rowStart = count;
        for (int x = 0; x < w.width();) {
            if (!member(x, y)) {
                ++x;
                continue;
            }
            const int from = x;
            while (x < w.width() && member(x, y))
                ++x;
            runs[std::size_t(count)] = {y, from, x, count};
            for (int p = above; p < aboveEnd && runs[std::size_t(p)].from < x; ++p)
                if (runs[std::size_t(p)].to > from) {
                    const int a = root(p), b = root(count);
                    // The earlier run stays the root: blobs keep the order of their first pixel.
                    runs[std::size_t(std::max(a, b))].parent = std::min(a, b);
                }
            while (above < aboveEnd && runs[std::size_t(above)].to <= x)
                ++above;
            ++count;
        }
        above = rowStart;
        aboveEnd = count;
    }
    std::array<int, runs.size()> slot;
    int blobCount = 0;
    for (int i = 0; i < count; ++i) {
        const Run &r = runs[std::size_t(i)];
        const int top = root(i);
        if (top == i)
            slot[std::size_t(i)] = blobCount < int(out.size()) ? blobCount++ : -1;
        const int s = slot[std::size_t(top)];
        slot[std::size_t(i)] = s;
        if (s < 0)
            continue;
        if (top == i)
            out[std::size_t(s)] = Blob{};
        Blob &b = out[std::size_t(s)];
        const int length = r.to - r.from;
        b.minX = std::min(b.minX, r.from);
        b.maxX = std::max(b.maxX, r.to - 1);
        b.minY = std::min(b.minY, r.y);
        b.maxY = std::max(b.maxY, r.y);
        b.area += length;
        b.sx += 0.5 * length * (r.from + r.to);
        b.sy += length * (r.y + 0.5);
        b.border = b.border || r.from == 0 || r.to == w.width() || r.y == 0 || r.y == w.height() - 1;
    }
    return blobCount;
}

bool compact(const Blob &b)
{
    const int width = b.maxX - b.minX + 1, height = b.maxY - b.minY + 1;
    return std::max(width, height) <= 1.6 * std::min(width, height) && b.area * 2 >= width * height;
}

// Marks up to 11 px standing free: compact specks of ink, weighed whole.
int smallMarks(const SnapWindow &w, Candidates &found, int count)
{
    std::array<Blob, 64> list;
    const int specks = blobs(w, [&w](int x, int y) { return w.dark(x, y) >= 0.5f; }, list);
    for (int i = 0; i < specks && count < int(found.size()); ++i) {
        const Blob &b = list[std::size_t(i)];
        if (b.border || !compact(b) || std::max(b.maxX - b.minX, b.maxY - b.minY) > 10)
            continue;
        // A speck is weighed whole; the peak inside it is dropped.
        const Candidate speck{Kind::Small, b.sx / b.area, b.sy / b.area, 0.5 * (std::max(b.maxX - b.minX, b.maxY - b.minY) + 1)};
        const auto end = std::remove_if(found.begin(), found.begin() + count, [&b](const Candidate &c) {
            return c.kind == Kind::Filled && c.x >= b.minX && c.x <= b.maxX + 1 && c.y >= b.minY && c.y <= b.maxY + 1;
        });
        count = int(end - found.begin());
        found[std::size_t(count++)] = speck;
    }
    return count;
}

bool under(const Candidate &c, double px, double py)
{
    return std::hypot(c.x - px, c.y - py) <= c.radius;
}

// Hollow marks: compact paper that ink encloses (a ring's or an open
// square's inside, a pale fill within a dark outline). An outline a pixel
// thin, drawn at a slant, is under half dark in places and leaks its hole
// out to the paper: where paper is taken as under a quarter dark, it closes.
int hollowMarks(const SnapWindow &w, Candidates &found, int count)
{
    const int before = count;
    // (Both looks may find a hole: it is kept once.)
    auto known = [&](const Candidate &hole) {
        return std::any_of(found.begin() + before, found.begin() + count,
                           [&hole](const Candidate &c) { return under(c, hole.x, hole.y); });
    };
    std::array<Blob, 64> list;
    for (const float paperBelow : {0.5f, 0.25f}) {
        const int holes = blobs(w, [&w, paperBelow](int x, int y) { return w.dark(x, y) < paperBelow; }, list);
        for (int i = 0; i < holes && count < int(found.size()); ++i) {
            const Blob &b = list[std::size_t(i)];
            // Smaller: the eye of a letter. (Where only paper under a quarter
            // dark closes it, a 6 px ring's hole through JPEG keeps 8 pixels.)
            if (b.border || b.area < (paperBelow < 0.5f ? 6 : 9) || !compact(b))
                continue;
            const Candidate hole{Kind::Hollow, b.sx / b.area, b.sy / b.area, std::sqrt(b.area / Pi)};
            if (!known(hole))
                found[std::size_t(count++)] = hole;
        }
        // A hole a line runs through (a series line drawn over an open
        // mark's paper) is two halves a stroke apart, compact together.
        for (int i = 0; i < holes && count < int(found.size()); ++i)
            for (int j = i + 1; j < holes && count < int(found.size()); ++j) {
                const Blob &a = list[std::size_t(i)], &b = list[std::size_t(j)];
                if (a.border || b.border || a.area < 5 || b.area < 5 || std::max(a.area, b.area) > 3 * std::min(a.area, b.area))
                    continue;
                Blob both = a;
                both.minX = std::min(a.minX, b.minX), both.maxX = std::max(a.maxX, b.maxX);
                both.minY = std::min(a.minY, b.minY), both.maxY = std::max(a.maxY, b.maxY);
                both.area = a.area + b.area, both.sx = a.sx + b.sx, both.sy = a.sy + b.sy;
                const int apartX = std::max(a.minX, b.minX) - std::min(a.maxX, b.maxX) - 1,
                          apartY = std::max(a.minY, b.minY) - std::min(a.maxY, b.maxY) - 1;
                if (both.area < 9 || !compact(both) || std::max(apartX, apartY) > 3)
                    continue;
                found[std::size_t(count++)] = {Kind::CrossedHole, both.sx / both.area, both.sy / both.area, std::sqrt(both.area / Pi)};
            }
    }
    return count;
}

// A window's ink with the middles of small rings and open squares filled
// (paper enclosed in fewer than nine pixels), and its cores: ink whose
// eight neighbours are all ink. A line up to 2 px thick has no core; a mark
// on it keeps one where the stroke widens.
struct FilledInk {
    int W = 0, H = 0;
    std::array<std::uint8_t, Side * Side> ink;
    explicit FilledInk(const SnapWindow &w) : W(w.width()), H(w.height())
    {
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                ink[std::size_t(y * Side + x)] = w.dark(x, y) >= 0.5f;
        std::array<std::uint8_t, Side * Side> seen{};
        std::array<int, Side * Side> stack, part;
        for (int start = 0; start < H * Side; ++start) {
            if (start % Side >= W || ink[std::size_t(start)] || seen[std::size_t(start)])
                continue;
            int top = 0, area = 0;
            bool open = false;
            stack[std::size_t(top++)] = start;
            seen[std::size_t(start)] = 1;
            while (top > 0) {
                const int i = stack[std::size_t(--top)], x = i % Side, y = i / Side;
                part[std::size_t(area++)] = i;
                open = open || x == 0 || y == 0 || x == W - 1 || y == H - 1;
                for (const auto &[dx, dy] : {std::pair{1, 0}, std::pair{-1, 0}, std::pair{0, 1}, std::pair{0, -1}}) {
                    const int nx = x + dx, ny = y + dy, n = ny * Side + nx;
                    if (nx < 0 || ny < 0 || nx >= W || ny >= H || ink[std::size_t(n)] || seen[std::size_t(n)])
                        continue;
                    seen[std::size_t(n)] = 1;
                    stack[std::size_t(top++)] = n;
                }
            }
            if (!open && area < 9)
                for (int i = 0; i < area; ++i)
                    ink[std::size_t(part[std::size_t(i)])] = 1;
        }
    }
    bool inked(int x, int y) const { return x >= 0 && y >= 0 && x < W && y < H && ink[std::size_t(y * Side + x)]; }
    bool core(int x, int y) const
    {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (!inked(x + dx, y + dy))
                    return false;
        return true;
    }
    // Ink whose four nearest neighbours are ink: what a scan leaves of the
    // core of a mark of about 5 px (a diamond worn to a cross). A line up
    // to 2 px thick has none.
    bool crossCore(int x, int y) const
    {
        return inked(x, y) && inked(x - 1, y) && inked(x + 1, y) && inked(x, y - 1) && inked(x, y + 1);
    }
    bool core(int x, int y, bool worn) const { return worn ? crossCore(x, y) : core(x, y); }
};

// Marks up to about 11 px that a line of their colour runs through, found
// nowhere else: too small for a peak of depth, joined to the line so no
// speck. Each is a compact core; the core of a thicker line is a long ridge.
int marksOnLines(const SnapWindow &w, Candidates &found, int count)
{
    // First, cheaply, whether there is any cross of ink 3 px across or any
    // paper closed in on four sides within 2 px (a small ring's middle):
    // over a plain line there is neither.
    {
        auto ink = [&w](int x, int y) { return x >= 0 && y >= 0 && x < w.width() && y < w.height() && w.dark(x, y) >= 0.5f; };
        bool promising = false;
        for (int y = 1; y + 1 < w.height() && !promising; ++y)
            for (int x = 1; x + 1 < w.width() && !promising; ++x) {
                if (ink(x, y)) {
                    promising = ink(x, y - 1) && ink(x - 1, y) && ink(x + 1, y) && ink(x, y + 1);
                } else {
                    promising = (ink(x - 1, y) || ink(x - 2, y)) && (ink(x + 1, y) || ink(x + 2, y))
                        && (ink(x, y - 1) || ink(x, y - 2)) && (ink(x, y + 1) || ink(x, y + 2));
                }
            }
        if (!promising)
            return count;
    }
    const FilledInk filled(w);
    std::array<Blob, 64> list;
    // Full cores first; only where there are none, the crosses a scan leaves.
    const int before = count;
    for (const bool worn : {false, true}) {
        if (count > before)
            break;
        const int cores = blobs(w, [&filled, worn](int x, int y) { return filled.core(x, y, worn); }, list);
        for (int i = 0; i < cores && count < int(found.size()); ++i) {
            const Blob &b = list[std::size_t(i)];
            const int width = b.maxX - b.minX + 1, height = b.maxY - b.minY + 1;
            if (b.border || std::max(width, height) > 7 || std::max(width, height) > 1.6 * std::min(width, height) + 1
                || b.area * 2 < width * height) // a slanting ridge fills little of its box
                continue;
            found[std::size_t(count++)] = {Kind::OnLine, b.sx / b.area, b.sy / b.area, 0.5 * std::max(width, height) + 1};
        }
    }
    return count;
}

// The centre of a mark on a line from the core nearest (cx, cy): the
// darkness-weighted centroid of the mark's body (its core grown back by a
// pixel, which the line's stroke is too thin to take part in) and a pixel of
// soft edge round that. The line adds only the stubs within that edge.
std::optional<PixelPoint> onLineCentre(const SnapWindow &w, double cx, double cy)
{
    const FilledInk filled(w);
    constexpr int Reach = 6;
    const int x0 = std::max(0, int(cx) - Reach), x1 = std::min(w.width() - 1, int(cx) + Reach);
    const int y0 = std::max(0, int(cy) - Reach), y1 = std::min(w.height() - 1, int(cy) + Reach);
    // The core: its pixel nearest the centre, and those joined to it.
    constexpr int Box = 2 * Reach + 1;
    std::array<std::uint8_t, Box * Box> part{}; // 3 core, 2 body, 1 soft edge
    int seed = -1;
    bool worn = false; // only crosses (see marksOnLines)
    for (const bool crosses : {false, true}) {
        double nearest = 2.5;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                if (filled.core(x, y, crosses) && distance(x + 0.5 - cx, y + 0.5 - cy) < nearest) {
                    nearest = distance(x + 0.5 - cx, y + 0.5 - cy);
                    seed = (y - y0) * Box + (x - x0);
                }
        worn = crosses;
        if (seed >= 0)
            break;
    }
    if (seed < 0)
        return std::nullopt;
    std::array<int, Box * Box> stack;
    int top = 0;
    stack[std::size_t(top++)] = seed;
    part[std::size_t(seed)] = 3;
    while (top > 0) {
        const int i = stack[std::size_t(--top)], bx = i % Box, by = i / Box;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int nx = bx + dx, ny = by + dy;
                if (nx < 0 || ny < 0 || nx >= Box || ny >= Box || part[std::size_t(ny * Box + nx)] || x0 + nx > x1 || y0 + ny > y1
                    || !filled.core(x0 + nx, y0 + ny, worn))
                    continue;
                part[std::size_t(ny * Box + nx)] = 3;
                stack[std::size_t(top++)] = ny * Box + nx;
            }
    }
    for (const std::uint8_t level : {std::uint8_t(2), std::uint8_t(1)}) {
        const auto before = part;
        for (int by = 0; by < Box; ++by)
            for (int bx = 0; bx < Box; ++bx) {
                if (before[std::size_t(by * Box + bx)] || x0 + bx > x1 || y0 + by > y1)
                    continue;
                bool beside = false;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = bx + dx, ny = by + dy;
                        beside = beside || (nx >= 0 && ny >= 0 && nx < Box && ny < Box && before[std::size_t(ny * Box + nx)] > level);
                    }
                if (beside)
                    part[std::size_t(by * Box + bx)] = level;
            }
    }
    double sum = 0, sx = 0, sy = 0;
    for (int by = 0; by < Box; ++by)
        for (int bx = 0; bx < Box; ++bx)
            if (part[std::size_t(by * Box + bx)]) {
                const double d = w.dark(x0 + bx, y0 + by);
                sum += d;
                sx += d * (x0 + bx + 0.5);
                sy += d * (y0 + by + 0.5);
            }
    if (sum <= 0 || distance(sx / sum - cx, sy / sum - cy) > 1.5)
        return std::nullopt;
    return PixelPoint{sx / sum, sy / sum};
}

// Hollow marks are looked for only where asked, or where no filled mark
// lies under the pointer: labelling all the paper costs the most.
int candidates(const SnapWindow &w, InkDepth &depth, Candidates &found, bool specks, bool hollow)
{
    depth.measure(w);
    int count = filledMarks(depth, w, found, 0);
    if (specks)
        count = smallMarks(w, found, count);
    return hollow ? hollowMarks(w, found, count) : count;
}

// The mark under the position, else the one whose outline is nearest
// within the snap radius; where marks overlap, the nearest centre.
const Candidate *chosen(const Candidates &found, int count, double px, double py)
{
    const Candidate *best = nullptr;
    double bestScore = 0;
    for (int i = 0; i < count; ++i) {
        const Candidate &c = found[std::size_t(i)];
        const double outline = c.kind == Kind::Hollow || c.kind == Kind::CrossedHole ? c.radius + 1.5 : c.radius;
        const double toCentre = distance(c.x - px, c.y - py);
        if (toCentre - outline > SnapRadius)
            continue;
        const double score = std::max(0.0, toCentre - outline) * 1000 + toCentre;
        if (!best || score < bestScore) {
            best = &c;
            bestScore = score;
        }
    }
    return best;
}

// The outline along `Rays` rays from a centre: for a filled mark where its
// ink gives way to paper, for a hollow one the middle of its stroke. A ray
// that runs on into a line or bar fastened to the mark, or past the line
// of equal power to an overlapping mark, says nothing of the outline and is
// filled in from the mark's symmetry or bridged from its neighbours.
struct Outline {
    std::array<double, Rays> reach{};
    std::array<bool, Rays> seen{};
    int seenCount = 0;
    bool symmetric = false; // what was not seen was filled in from a turn
    bool clipped = false;   // the outline may lie beyond the window somewhere
};

void bridge(Outline &o);

// `strict`, once the centre is close: a ray longer than its shortest
// turned counterpart by more than a few tenths met something fastened to
// the mark there (the edge of a line leaving it, the blur where an
// overlapping mark meets it), and is filled in too.
Outline traceOutline(const SnapWindow &w, const Candidate &mark, double cx, double cy, const Candidates &others,
                     int otherCount, const Candidate *self, bool strict)
{
    Outline o;
    // Where each ray ran out of the window (0: it did not).
    std::array<double, Rays> edge{};
    const double limit = mark.kind == Kind::Hollow ? 1.6 * mark.radius + 5 : 2.2 * mark.radius + 3;
    constexpr double Step = 0.5;
    // Only filled marks within reach can stand in the way.
    std::array<const Candidate *, 8> near;
    int nearCount = 0;
    if (mark.kind == Kind::Filled)
        for (int i = 0; i < otherCount && nearCount < int(near.size()); ++i) {
            const Candidate &c = others[std::size_t(i)];
            if (&c != self && c.kind == Kind::Filled && distance(c.x - cx, c.y - cy) < limit + c.radius)
                near[std::size_t(nearCount++)] = &c;
        }
    // Within half a pixel of a side the picture goes on beyond, the
    // darkness read is half made up: a line running out of the window
    // would seem to end there.
    const SnapWindow::Sides cut = w.cut();
    const double low[2] = {cut.left ? 0.5 : 0.0, cut.top ? 0.5 : 0.0},
                 high[2] = {w.width() - (cut.right ? 0.5 : 0.0), w.height() - (cut.bottom ? 0.5 : 0.0)};
    const double from[2] = {cx, cy};
    for (int k = 0; k < Rays; ++k) {
        const double ux = Ray.x[std::size_t(k)], uy = Ray.y[std::size_t(k)];
        // A filled mark's edge lies no nearer than about its inscribed
        // radius: the march starts a little inside that, where it is ink.
        double start = mark.kind == Kind::Filled ? std::floor(std::max(0.0, mark.radius - 2.5) / Step) * Step : 0;
        if (start > 0 && w.darkBetween(cx + start * ux, cy + start * uy) < 0.5)
            start = 0;
        double previous = w.darkBetween(cx + start * ux, cy + start * uy), in = -1, peak = 0;
        bool done = false;
        std::array<double, 512> profile;
        int samples = 0;
        // Where the profile so far first rose through half of `top`.
        auto risingEdge = [&](double top) {
            for (int i = 0; i < std::min(samples, int(profile.size())); ++i) {
                const double d = profile[std::size_t(i)];
                if (d >= 0.5 * top) {
                    const double before = i ? profile[std::size_t(i - 1)] : previous;
                    return (i + 1) * Step - Step * (d - 0.5 * top) / std::max(1e-9, d - before);
                }
            }
            return (samples + 1) * Step;
        };
        // Where along the ray it leaves the window, and where it comes
        // nearer, by power, to another filled mark (its ink, not this
        // one's): |c + tu - o|^2 - ro^2 < t^2 - r^2 is linear in t, so each
        // is one bound, worked out once rather than at every step.
        const double first = start + Step;
        double leaves = 1e300, theirs = 1e300;
        const double u[2] = {ux, uy};
        for (int axis = 0; axis < 2; ++axis) {
            if (u[axis] < 0)
                leaves = std::min(leaves, (low[axis] - from[axis]) / u[axis]);
            else if (u[axis] > 0)
                leaves = std::min(leaves, (high[axis] - from[axis]) / u[axis]);
            else if (from[axis] < low[axis] || from[axis] > high[axis])
                leaves = -1e300;
        }
        for (int i = 0; i < nearCount; ++i) {
            const Candidate &c = *near[std::size_t(i)];
            const double ox = cx - c.x, oy = cy - c.y;
            const double a = 2 * (ox * ux + oy * uy), b = c.radius * c.radius - mark.radius * mark.radius - ox * ox - oy * oy;
            if (a < 0)
                theirs = std::min(theirs, b / a);
            else if ((a > 0 && first < b / a) || (a == 0 && b > 0))
                theirs = -1e300; // from the first step on
        }
        for (double t = first; t <= limit && !done; t += Step) {
            if (t > leaves) {
                edge[std::size_t(k)] = t;
                break;
            }
            if (t > theirs)
                break;
            const double x = cx + t * ux, y = cy + t * uy;
            const double d = w.darkBetween(x, y);
            if (mark.kind == Kind::Hollow) {
                // The stroke's middle: half way between where its darkness
                // passes half its peak going in and coming out, which a thin
                // blurred stroke that never reaches full ink also has.
                if (d > peak) {
                    peak = d;
                    if (peak >= 0.3)
                        in = -1; // found again below, against the new peak
                } else if (peak >= 0.3 && d < 0.5 * peak) {
                    if (in < 0)
                        in = risingEdge(peak);
                    const double out = t - Step * (0.5 * peak - d) / (previous - d);
                    o.reach[std::size_t(k)] = 0.5 * (in + out);
                    o.seen[std::size_t(k)] = out - in <= 0.6 * mark.radius + 2; // not a line running on
                    done = true;
                }
                profile[std::size_t(std::min(samples, int(profile.size()) - 1))] = d;
                ++samples;
            } else if (previous >= 0.5 && d < 0.5) {
                o.reach[std::size_t(k)] = t - Step * (0.5 - d) / (previous - d); // where darkness passed 0.5
                o.seen[std::size_t(k)] = true;
                done = true;
            }
            previous = d;
        }
    }
    // A line leaving the mark at a slant lengthens a few rays without
    // running past the limit: each ray is compared with the median of its
    // neighbours, where an outline (even a square's corner) changes slowly.
    std::array<bool, Rays> bump{};
    for (int k = 0; k < Rays; ++k) {
        if (!o.seen[std::size_t(k)])
            continue;
        std::array<double, 7> near;
        for (int j = -3; j <= 3; ++j) {
            const std::size_t n = std::size_t((k + j + Rays) % Rays);
            near[std::size_t(j + 3)] = o.seen[n] ? o.reach[n] : 1e9;
        }
        std::nth_element(near.begin(), near.begin() + 3, near.end());
        bump[std::size_t(k)] = o.reach[std::size_t(k)] > near[3] + std::max(1.0, 0.25 * mark.radius);
    }
    // In a hole, rays that meet ink well short of most met a line running
    // into it (to a series' first or last mark), not the outline.
    if (mark.kind == Kind::Hollow) {
        std::array<double, Rays> seen;
        int n = 0;
        for (int k = 0; k < Rays; ++k)
            if (o.seen[std::size_t(k)] && !bump[std::size_t(k)])
                seen[std::size_t(n++)] = o.reach[std::size_t(k)];
        std::nth_element(seen.begin(), seen.begin() + n / 2, seen.begin() + n);
        for (int k = 0; n > 0 && k < Rays; ++k)
            bump[std::size_t(k)] = bump[std::size_t(k)] || o.reach[std::size_t(k)] < 0.6 * seen[std::size_t(n / 2)];
    }
    for (int k = 0; k < Rays; ++k) {
        o.seen[std::size_t(k)] = o.seen[std::size_t(k)] && !bump[std::size_t(k)];
        o.seenCount += o.seen[std::size_t(k)];
    }
    if (o.seenCount == 0)
        return o;
    // Marks are symmetric: a disc, square or diamond under a half turn, a
    // triangle under a third. The symmetry the seen rays agree with best
    // fills each unseen ray from its turned counterparts, so a line through
    // a triangle's corner does not cut the corner off.
    int order = 0;
    double bestMismatch = 0.5 + 0.05 * mark.radius;
    std::array<double, 5> mismatch{1e9, 1e9, 1e9, 1e9, 1e9};
    for (const int n : {2, 3, 4}) {
        double sum = 0;
        int pairs = 0;
        for (int k = 0; k < Rays; ++k) {
            const std::size_t turned = std::size_t((k + Rays / n) % Rays);
            if (o.seen[std::size_t(k)] && o.seen[turned]) {
                const double d = o.reach[std::size_t(k)] - o.reach[turned];
                sum += d * d;
                ++pairs;
            }
        }
        if (pairs >= Rays / 4)
            mismatch[std::size_t(n)] = std::sqrt(sum / pairs);
        if (mismatch[std::size_t(n)] < bestMismatch) {
            bestMismatch = mismatch[std::size_t(n)];
            order = n;
        }
    }
    // A disc fits every turn about as well; only a clear third turn is a
    // triangle's (whose corners may reach out of the window).
    if (order == 3 && std::min(mismatch[2], mismatch[4]) < bestMismatch + 0.1) {
        order = mismatch[2] <= mismatch[4] ? 2 : 4;
        bestMismatch = mismatch[std::size_t(order)];
    }
    if (order && strict) {
        const double tolerance = std::max(0.35, 0.04 * mark.radius);
        std::array<bool, Rays> longer{};
        for (int k = 0; k < Rays; ++k)
            for (int j = 1; j < order && o.seen[std::size_t(k)]; ++j) {
                const std::size_t turned = std::size_t((k + j * Rays / order) % Rays);
                longer[std::size_t(k)] = longer[std::size_t(k)]
                    || (o.seen[turned] && o.reach[std::size_t(k)] > o.reach[turned] + tolerance);
            }
        for (int k = 0; k < Rays; ++k)
            if (longer[std::size_t(k)]) {
                o.seen[std::size_t(k)] = false;
                --o.seenCount;
            }
    }
    o.symmetric = order != 0;
    if (order) {
        std::array<double, Rays> filled = o.reach;
        std::array<bool, Rays> known = o.seen;
        for (int k = 0; k < Rays; ++k) {
            if (o.seen[std::size_t(k)])
                continue;
            double sum = 0;
            int n = 0;
            for (int j = 1; j < order; ++j) {
                const std::size_t turned = std::size_t((k + j * Rays / order) % Rays);
                if (o.seen[turned]) {
                    sum += o.reach[turned];
                    ++n;
                }
            }
            if (n) {
                filled[std::size_t(k)] = sum / n;
                known[std::size_t(k)] = true;
            }
        }
        o.reach = filled;
        // What no turn could fill is bridged below.
        std::array<bool, Rays> seen = o.seen;
        o.seen = known;
        bridge(o);
        o.seen = seen;
    } else {
        bridge(o);
    }
    // A ray that ran out of the window where the outline filled in reaches
    // as far: the outline there may lie beyond it (a corner), unlike one
    // that ran out along a line fastened to the mark.
    // Bridged straight across, without a symmetry, nothing says where; a
    // triangle's corners reach twice as far as its sides.
    // So does a wide fan of rays that all ran out in ink: a mark that
    // overlaps this one may lie out there, which a line leaving it is too
    // narrow to be.
    int fan = 0, widestFan = 0;
    for (int k = 0; k < 2 * Rays; ++k) {
        fan = edge[std::size_t(k % Rays)] > 0 ? fan + 1 : 0;
        widestFan = std::max(widestFan, std::min(fan, Rays));
    }
    o.clipped = widestFan >= 5;
    for (int k = 0; k < Rays; ++k)
        o.clipped = o.clipped
            || (edge[std::size_t(k)] > 0
                && (!o.symmetric || order == 3 || o.reach[std::size_t(k)] >= edge[std::size_t(k)] - 1));
    return o;
}

// Bridges: linear in angle between the nearest seen rays either side.
void bridge(Outline &o)
{
    if (std::none_of(o.seen.begin(), o.seen.end(), [](bool s) { return s; }))
        return;
    for (int k = 0; k < Rays; ++k) {
        if (o.seen[std::size_t(k)])
            continue;
        int before = 1, after = 1;
        while (!o.seen[std::size_t((k - before + Rays) % Rays)])
            ++before;
        while (!o.seen[std::size_t((k + after) % Rays)])
            ++after;
        const double a = o.reach[std::size_t((k - before + Rays) % Rays)], b = o.reach[std::size_t((k + after) % Rays)];
        o.reach[std::size_t(k)] = a + (b - a) * before / double(before + after);
    }
}

// The centroid of the area the outline encloses.
PixelPoint enclosedCentroid(const Outline &o, double cx, double cy)
{
    double area = 0, sx = 0, sy = 0;
    for (int k = 0; k < Rays; ++k) {
        const int next = (k + 1) % Rays;
        const double ax = o.reach[std::size_t(k)] * Ray.x[std::size_t(k)], ay = o.reach[std::size_t(k)] * Ray.y[std::size_t(k)];
        const double bx = o.reach[std::size_t(next)] * Ray.x[std::size_t(next)],
                     by = o.reach[std::size_t(next)] * Ray.y[std::size_t(next)];
        const double cross = ax * by - bx * ay;
        area += cross;
        sx += (ax + bx) * cross;
        sy += (ay + by) * cross;
    }
    if (area <= 1e-9)
        return {cx, cy};
    return {cx + sx / (3 * area), cy + sy / (3 * area)};
}

// Mean darkness just outside the outline, where it was seen: paper round a
// mark; ink or texture round a blob in a hatch, noise, a solid area.
double surroundDarkness(const SnapWindow &w, const Outline &o, double cx, double cy, bool hollow)
{
    double sum = 0;
    int n = 0;
    for (int k = 0; k < Rays; ++k) {
        if (!o.seen[std::size_t(k)])
            continue;
        const double ux = Ray.x[std::size_t(k)], uy = Ray.y[std::size_t(k)];
        for (const double beyond : {1.5, 2.5}) {
            // A hollow mark's reach is its stroke's middle: paper lies both sides.
            const double t = o.reach[std::size_t(k)] + (hollow ? beyond + 1.5 : beyond);
            sum += w.darkBetween(cx + t * ux, cy + t * uy);
            ++n;
        }
    }
    return n ? sum / n : 1.0;
}

// A speck's darkness-weighted centre: its own ink and the soft edge round
// it, not a line or letter nearby that it does not touch; the rim beyond
// must be mostly paper.
std::optional<PixelPoint> speckCentre(const SnapWindow &w, double cx, double cy, double radius)
{
    constexpr int Half = 10, Side = 2 * Half + 1; // a speck is at most 11 px across
    const int ox = int(cx) - Half, oy = int(cy) - Half;
    auto inside = [&](int x, int y) { return x >= 0 && y >= 0 && x < Side && y < Side && ox + x >= 0 && oy + y >= 0 && ox + x < w.width() && oy + y < w.height(); };
    std::array<std::uint8_t, Side * Side> part{}; // 2: its ink, 1: its soft edge
    std::array<int, Side * Side> stack;
    // Seeded with the ink within its radius (a small ring's middle is
    // paper); the corner of the square round it may hold a neighbour's.
    int top = 0;
    for (int y = 0; y < Side; ++y)
        for (int x = 0; x < Side; ++x)
            if (inside(x, y) && distance(ox + x + 0.5 - cx, oy + y + 0.5 - cy) <= radius
                && w.dark(ox + x, oy + y) >= 0.5f) {
                part[std::size_t(y * Side + x)] = 2;
                stack[std::size_t(top++)] = y * Side + x;
            }
    while (top > 0) {
        const int i = stack[std::size_t(--top)], x = i % Side, y = i / Side;
        // Side by side only, as specks were told apart: two that touch
        // at a corner stay two.
        for (const auto &[dx, dy] : {std::pair{1, 0}, std::pair{-1, 0}, std::pair{0, 1}, std::pair{0, -1}}) {
            const int nx = x + dx, ny = y + dy;
            if (!inside(nx, ny) || part[std::size_t(ny * Side + nx)] == 2)
                continue;
            if (w.dark(ox + nx, oy + ny) >= 0.5f) {
                part[std::size_t(ny * Side + nx)] = 2;
                stack[std::size_t(top++)] = ny * Side + nx;
            }
        }
    }
    // Its soft edge: two pixels round its ink, which a scan's blur reaches.
    for (int ring = 0; ring < 2; ++ring) {
        const auto before = part;
        for (int y = 0; y < Side; ++y)
            for (int x = 0; x < Side; ++x)
                if (!before[std::size_t(y * Side + x)] && inside(x, y) && w.dark(ox + x, oy + y) < 0.5f)
                    for (int dy = -1; dy <= 1 && !part[std::size_t(y * Side + x)]; ++dy)
                        for (int dx = -1; dx <= 1; ++dx)
                            if (inside(x + dx, y + dy) && before[std::size_t((y + dy) * Side + x + dx)]) {
                                part[std::size_t(y * Side + x)] = 1;
                                break;
                            }
    }
    double sum = 0, sx = 0, sy = 0, rim = 0;
    int rimCount = 0;
    for (int y = 0; y < Side; ++y)
        for (int x = 0; x < Side; ++x) {
            if (!inside(x, y))
                continue;
            const double d = w.dark(ox + x, oy + y);
            if (part[std::size_t(y * Side + x)]) {
                sum += d;
                sx += d * (ox + x + 0.5);
                sy += d * (oy + y + 0.5);
            } else if (std::max(std::abs(ox + x + 0.5 - cx), std::abs(oy + y + 0.5 - cy)) <= radius + 3.5) {
                rim += d;
                ++rimCount;
            }
        }
    if (sum <= 0 || (rimCount && rim / rimCount > 0.3)) // a grid line passing by is allowed for
        return std::nullopt;
    return PixelPoint{sx / sum, sy / sum};
}

// A small mark a line runs through has too few pixels for an outline: the
// darkness-weighted centre of a disc a little wider than the mark, moved
// until it sits on that centre. The weight falls off smoothly at the rim so
// no pixel jumps in or out as it moves; a line through the middle weighs
// the same on both sides.
std::optional<PixelPoint> smallMarkCentre(const SnapWindow &w, double cx, double cy, double radius)
{
    const double reach = radius + 1.0, startX = cx, startY = cy;
    for (int pass = 0; pass < 8; ++pass) {
        double sum = 0, sx = 0, sy = 0;
        for (int y = std::max(0, int(cy - reach - 2)); y <= std::min(w.height() - 1, int(cy + reach + 2)); ++y)
            for (int x = std::max(0, int(cx - reach - 2)); x <= std::min(w.width() - 1, int(cx + reach + 2)); ++x) {
                const double weight = std::clamp(reach + 0.5 - distance(x + 0.5 - cx, y + 0.5 - cy), 0.0, 1.0) * w.dark(x, y);
                sum += weight;
                sx += weight * (x + 0.5);
                sy += weight * (y + 0.5);
            }
        if (sum <= 0)
            return std::nullopt;
        const double moved = distance(sx / sum - cx, sy / sum - cy);
        cx = sx / sum;
        cy = sy / sum;
        if (moved < 0.01)
            break;
    }
    // On paper: the ring just outside is light (a line adds little).
    double ring = 0;
    int n = 0;
    for (int k = 0; k < Rays; ++k)
        for (const double beyond : {1.0, 2.0}) {
            ring += w.darkBetween(cx + (reach + beyond) * Ray.x[std::size_t(k)], cy + (reach + beyond) * Ray.y[std::size_t(k)]);
            ++n;
        }
    if (ring / n > 0.4 || distance(cx - startX, cy - startY) > 1.5)
        return std::nullopt;
    return PixelPoint{cx, cy};
}


// The centre of the outline of `self`, moved until the outline's centroid
// stays on it. Taken only where, first, most of the outline is seen (else
// it is no mark: a blob in a texture, a knot of lines); second, the centre
// settled; third, paper lies round the outline; fourth, it did not wander
// off the mark it started from.
std::optional<PixelPoint> settle(const SnapWindow &w, const Candidate &self, const Candidates &found, int count,
                                 bool &clipped)
{
    // A start closer than the peak of depth (whole pixels, and pulled by
    // corners): the darkness-weighted middle of the inscribed disc.
    double cx = self.x, cy = self.y;
    if (self.kind == Kind::Filled) {
        double sum = 0, sx = 0, sy = 0;
        const double r = self.radius;
        for (int y = std::max(0, int(cy - r)); y <= std::min(w.height() - 1, int(cy + r)); ++y)
            for (int x = std::max(0, int(cx - r)); x <= std::min(w.width() - 1, int(cx + r)); ++x)
                if ((x + 0.5 - cx) * (x + 0.5 - cx) + (y + 0.5 - cy) * (y + 0.5 - cy) <= r * r) {
                    const double d = w.dark(x, y);
                    sum += d;
                    sx += d * (x + 0.5);
                    sy += d * (y + 0.5);
                }
        if (sum > 0) {
            cx = sx / sum;
            cy = sy / sum;
        }
    }
    Outline outline;
    double moved = 1e9;
    // Where the centre does not settle in eight passes but swings between
    // places (a grainy scan's stroke, its middle found a pixel apart from
    // one side to the next), it goes half way each pass after that.
    for (int pass = 0; pass < 16 && moved > (pass < 8 ? 0.01 : 0.05); ++pass) {
        const bool strict = self.kind == Kind::Filled && pass >= 2 && moved < 0.3;
        outline = traceOutline(w, self, cx, cy, found, count, &self, strict);
        if (outline.seenCount < Rays * (strict ? 4 : 6) / 10)
            return std::nullopt;
        const PixelPoint next = enclosedCentroid(outline, cx, cy);
        const double share = pass < 8 ? 1.0 : 0.5;
        moved = share * distance(next.x - cx, next.y - cy);
        cx += share * (next.x - cx);
        cy += share * (next.y - cy);
    }
    // Bridged straight across, a hidden corner is cut off: with no symmetry
    // to fill it in, most of the outline must have been seen.
    if (moved > 0.05 || (!outline.symmetric && outline.seenCount < Rays * 17 / 20)
        || surroundDarkness(w, outline, cx, cy, self.kind == Kind::Hollow) > 0.3
        || distance(cx - self.x, cy - self.y) > std::max(2.0, 0.5 * self.radius))
        return std::nullopt;
    clipped = outline.clipped;
    return PixelPoint{cx, cy};
}

// The circle through the outline where it was seen, by least squares
// (x² + y² + Dx + Ey + F = 0), and how far the points stray from it.
struct Circle {
    double x = 0, y = 0, radius = 0, rms = 1e9;
};
Circle circleThrough(const Outline &o, double cx, double cy)
{
    // Sums for the normal equations, about the centre for precision.
    double sxx = 0, sxy = 0, syy = 0, sx = 0, sy = 0, n = 0, sxz = 0, syz = 0, sz = 0;
    for (int k = 0; k < Rays; ++k) {
        if (!o.seen[std::size_t(k)])
            continue;
        const double x = o.reach[std::size_t(k)] * Ray.x[std::size_t(k)], y = o.reach[std::size_t(k)] * Ray.y[std::size_t(k)];
        const double z = -(x * x + y * y);
        sxx += x * x;
        sxy += x * y;
        syy += y * y;
        sx += x;
        sy += y;
        n += 1;
        sxz += x * z;
        syz += y * z;
        sz += z;
    }
    Circle c;
    // Solve [sxx sxy sx; sxy syy sy; sx sy n] [D E F] = [sxz syz sz] (Cramer).
    const double det = sxx * (syy * n - sy * sy) - sxy * (sxy * n - sy * sx) + sx * (sxy * sy - syy * sx);
    if (n < 8 || std::abs(det) < 1e-9)
        return c;
    const double D = (sxz * (syy * n - sy * sy) - sxy * (syz * n - sy * sz) + sx * (syz * sy - syy * sz)) / det;
    const double E = (sxx * (syz * n - sz * sy) - sxz * (sxy * n - sy * sx) + sx * (sxy * sz - syz * sx)) / det;
    const double F = (sxx * (syy * sz - sy * syz) - sxy * (sxy * sz - syz * sx) + sxz * (sxy * sy - syy * sx)) / det;
    const double ox = -D / 2, oy = -E / 2, r2 = ox * ox + oy * oy - F;
    if (r2 <= 0)
        return c;
    c = {cx + ox, cy + oy, std::sqrt(r2), 0};
    double spread = 0;
    for (int k = 0; k < Rays; ++k)
        if (o.seen[std::size_t(k)]) {
            const double x = o.reach[std::size_t(k)] * Ray.x[std::size_t(k)] - ox, y = o.reach[std::size_t(k)] * Ray.y[std::size_t(k)] - oy;
            spread += (std::sqrt(x * x + y * y) - c.radius) * (std::sqrt(x * x + y * y) - c.radius);
        }
    c.rms = std::sqrt(spread / n);
    return c;
}

// The same, leaving out up to two rays that stray from the circle by over
// a pixel and three times the outline's spread: where two marks' edges meet,
// the blur of both carries a ray or two past either outline. (A square's
// corners stray alike, four or more of them, by under twice its spread.)
Circle circleThroughMost(Outline o, double cx, double cy)
{
    Circle c = circleThrough(o, cx, cy);
    for (int left = 0; left < 2; ++left) {
        int worst = -1;
        double far = 0;
        for (int k = 0; k < Rays; ++k)
            if (o.seen[std::size_t(k)]) {
                const double off = std::abs(distance(cx + o.reach[std::size_t(k)] * Ray.x[std::size_t(k)] - c.x,
                                                     cy + o.reach[std::size_t(k)] * Ray.y[std::size_t(k)] - c.y)
                                            - c.radius);
                if (off > far) {
                    far = off;
                    worst = k;
                }
            }
        if (worst < 0 || far < std::max(1.0, 3 * c.rms))
            break;
        o.seen[std::size_t(worst)] = false;
        --o.seenCount;
        c = circleThrough(o, cx, cy);
    }
    return c;
}

// The centre of a mark's outline. Where a filled mark of about its size
// overlaps it (not the stub of a thick line), the part of the outline the
// other hides would be filled in from the mark's symmetry, which says
// nothing along the line between them: such a mark is taken as a disc, the
// circle through the outline it shows, fitted again from each new centre;
// where that is no circle, nothing.
// `clipped`: whether the outline ran out of the window somewhere.
std::optional<PixelPoint> outlineCentre(const SnapWindow &w, const Candidate &self, const Candidates &found, int count,
                                        bool &clipped)
{
    const bool overlapped = self.kind == Kind::Filled && std::any_of(found.begin(), found.begin() + count, [&](const Candidate &c) {
        return &c != &self && c.kind == Kind::Filled && c.radius >= 0.5 * self.radius
            && distance(c.x - self.x, c.y - self.y) < self.radius + c.radius + 1;
    });
    if (!overlapped) {
        return settle(w, self, found, count, clipped);
    }
    Candidate disc = self;
    for (int pass = 0; pass < 6; ++pass) {
        const Outline o = traceOutline(w, disc, disc.x, disc.y, found, count, &self, false);
        clipped = o.clipped;
        const Circle c = circleThroughMost(o, disc.x, disc.y);
        if (o.seenCount < Rays * 4 / 10 || c.rms > 0.35 || distance(c.x - self.x, c.y - self.y) > std::max(2.0, 0.3 * self.radius))
            return std::nullopt;
        const double moved = distance(c.x - disc.x, c.y - disc.y);
        disc = {Kind::Filled, c.x, c.y, c.radius};
        if (moved < 0.01)
            break;
    }
    return PixelPoint{disc.x, disc.y};
}

// Whether `w` holds all the picture has within `reach` of `p`.
bool covers(const SnapWindow &w, const PixelBuffer &picture, PixelPoint p, double reach)
{
    return (p.x - reach >= w.left() || w.left() == 0) && (p.y - reach >= w.top() || w.top() == 0)
        && (p.x + reach <= w.left() + w.width() || w.left() + w.width() == picture.width)
        && (p.y + reach <= w.top() + w.height() || w.top() + w.height() == picture.height);
}

} // namespace

namespace {

// The centre of `first`, one of the candidates `look` holds, in picture
// pixels: measured in `look` where it holds the whole mark, else in a
// window centred on the mark. `found` is worked in.
// `snug`: a window just round the mark's disc may be tried before one
// that reaches its corners (not where a thick frame's corner could pass
// for a mark).
std::optional<PixelPoint> measure(const PixelBuffer &picture, const SnapWindow &look, const Candidate &first,
                                  Candidates found, int count, InkDepth &depth, bool snug)
{
    if (first.kind == Kind::CrossedHole)
        return std::nullopt;
    PixelPoint centre{first.x + look.left(), first.y + look.top()};
    // Room for a triangle's corners (twice its inscribed radius away) and
    // for rays that run on along a line to show it.
    const double reach = first.kind == Kind::Hollow ? 1.6 * first.radius + 5
        : first.kind == Kind::Filled && first.radius >= 3.2 ? 2.2 * first.radius + 5
                                                              : first.radius + 5;
    auto inPicture = [](const SnapWindow &w, std::optional<PixelPoint> p) -> std::optional<PixelPoint> {
        if (!p)
            return std::nullopt;
        return PixelPoint{p->x + w.left(), p->y + w.top()};
    };
    const bool small = first.kind == Kind::Small || first.kind == Kind::OnLine || (first.kind == Kind::Filled && first.radius < 3.2);
    bool clipped = false;
    // One measurement in window `w`; nothing where it has no mark there.
    auto once = [&](const SnapWindow &w) -> std::optional<PixelPoint> {
        if (w.empty())
            return std::nullopt;
        const double wx = centre.x - w.left(), wy = centre.y - w.top();
        if (small)
            return inPicture(w, first.kind == Kind::Small    ? speckCentre(w, wx, wy, first.radius)
                                : first.kind == Kind::OnLine ? onLineCentre(w, wx, wy)
                                                             : smallMarkCentre(w, wx, wy, first.radius));
        if (&w != &look)
            count = candidates(w, depth, found, false, first.kind == Kind::Hollow); // no specks: they are never in the way
        // The same mark, found in this window: the nearest of its kind.
        const Candidate *self = nullptr;
        double nearest = 1e9;
        for (int i = 0; i < count; ++i) {
            const Candidate &c = found[std::size_t(i)];
            const double d = distance(c.x - wx, c.y - wy);
            if ((c.kind == Kind::Hollow) == (first.kind == Kind::Hollow) && d < nearest) {
                nearest = d;
                self = &c;
            }
        }
        if (!self || nearest > std::max(3.0, 0.5 * first.radius))
            return std::nullopt;
        return inPicture(w, outlineCentre(w, *self, found, count, clipped));
    };
    // (A window of its own is made only when needed: it is large to fill.
    // Where the first look holds the mark's inscribed disc and a margin, it
    // is tried first: a disc's or a square's outline lies within that, and
    // only where the outline may run out of it (a corner, a triangle, no
    // symmetry to go by) is the mark measured again in a window of its own.)
    bool own = false;
    for (int round = 0; round < (small ? 1 : 2); ++round) {
        std::optional<PixelPoint> next;
        if (!own && covers(look, picture, centre, reach)) {
            next = once(look);
        } else if (!own && !small && covers(look, picture, centre, first.radius + 2) && (next = once(look)) && !clipped) {
            // the first look held it all
        } else {
            own = true;
            const int close = std::clamp(int(std::ceil(first.radius + 3)), 8, WideRadius),
                      full = std::clamp(int(std::ceil(reach)), 8, WideRadius);
            if (!snug || small || close >= full || !(next = once(SnapWindow(picture, centre, close))) || clipped)
                next = once(SnapWindow(picture, centre, full));
        }
        if (!next)
            return std::nullopt;
        const bool settled = distance(next->x - centre.x, next->y - centre.y) < 1;
        centre = *next;
        if (settled)
            break;
    }
    return centre;
}

} // namespace

std::optional<PixelPoint> snapToMark(const PixelBuffer &picture, PixelPoint position, MarkKinds kinds)
{
    InkDepth depth;
    Candidates found;
    // Round the pointer first; wider where that sees nothing, or only ink
    // (the pointer inside a large mark). (No std::optional for a window:
    // GCC clears all of its storage first.)
    const Candidate *mark = nullptr;
    int count = 0;
    double px = 0, py = 0;
    auto lookIn = [&](const SnapWindow &look, double inkShare, bool first) -> std::optional<PixelPoint> {
        if (look.empty() || look.inkShare() > inkShare)
            return std::nullopt;
        px = position.x - look.left();
        py = position.y - look.top();
        count = candidates(look, depth, found, true, false);
        mark = chosen(found, count, px, py);
        // (A speck under the pointer may be a piece of a small ring's
        // outline that a scan broke up: its hole is looked for too.)
        if (kinds == MarkKinds::Any && (!mark || !under(*mark, px, py) || mark->kind == Kind::Small)) {
            count = hollowMarks(look, found, count);
            mark = chosen(found, count, px, py);
        }
        // Small marks on a line lie well inside the first look.
        if (kinds == MarkKinds::Any && !mark && first) {
            count = marksOnLines(look, found, count);
            mark = chosen(found, count, px, py);
        }
        if (!mark)
            return std::nullopt;
        auto centre = measure(picture, look, *mark, found, count, depth, kinds == MarkKinds::Any);
        // Where two filled marks overlap under the pointer, their first
        // guesses are pulled towards each other: both are measured, the
        // nearer taken.
        for (int i = 0; i < count; ++i) {
            const Candidate &twin = found[std::size_t(i)];
            const double apart = distance(twin.x - mark->x, twin.y - mark->y);
            // Closer than most of a radius, a second peak is the same
            // mark's (a line through it stretches its depth); further than
            // both radii, no overlap.
            if (&twin == mark || twin.kind != Kind::Filled || mark->kind != Kind::Filled || !under(twin, px, py)
                || apart < 0.9 * std::max(twin.radius, mark->radius) || apart > twin.radius + mark->radius)
                continue;
            const auto other = measure(picture, look, twin, found, count, depth, kinds == MarkKinds::Any);
            auto away = [&](const std::optional<PixelPoint> &p) {
                return p ? distance(p->x - position.x, p->y - position.y) : 1e9;
            };
            if (away(other) < away(centre))
                centre = other;
            break;
        }
        return centre;
    };
    if (const auto near = lookIn(SnapWindow(picture, position, FirstRadius), 0.6, true))
        return near;
    if (mark || kinds == MarkKinds::SmallFilled)
        return std::nullopt; // found, and refused
    return lookIn(SnapWindow(picture, position, WideRadius), 0.8, false);
}

} // namespace pontiva

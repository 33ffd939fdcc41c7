// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Where two straight lines cross or meet near a position: grid lines, axes, ticks.
#include "snapping/crossingsnap.h"

#include "snapping/inkdepth.h"
#include "snapping/marksnap.h"
#include "snapping/snapwindow.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cmath>
#include <memory>

namespace pontiva {

namespace {

// A first look close round the pointer, and a wider one where that finds
// no crossing (thick strokes, long ticks, a label in the way).
constexpr int Radius = 12, WideRadius = 24;
constexpr int Angles = 36; // 5 degrees apart; the fits do the rest
constexpr int Offsets = 2 * 36 + 1; // -36..36 px from the window's centre, past a wide window's corners
constexpr double Pi = 3.14159265358979323846;
constexpr float VoteDarkness = 0.35f;
constexpr int MinimumVotes = 5;      // about five pixels of full ink on one line
constexpr double MinimumLength = 5;  // pixels of ink along a fitted line
constexpr double MinimumAngle = 20 * Pi / 180;

struct Line {
    // Points p with (p - point) . normal == 0; normal has unit length.
    double px = 0, py = 0;
    double nx = 0, ny = 0;
    double from = 0, to = 0; // extent of the ink along the line, from `point`
    double halfWidth = 0.5;  // half the stroke's width, from its ink
    double distance(double x, double y) const { return (x - px) * nx + (y - py) * ny; }
    double along(double x, double y) const { return (x - px) * -ny + (y - py) * nx; }
};

// Whether a pixel lies on a found line's stroke, or a pixel beside it.
bool onStroke(const Line &line, double x, double y)
{
    return std::abs(line.distance(x, y)) <= line.halfWidth + 1;
}

// The window's inked pixels, listed once for all the fits.
struct Ink {
    float x, y, d; // pixel centre in window coordinates, darkness
};
struct InkList {
    std::array<Ink, SnapWindow::MaxSide * SnapWindow::MaxSide> pixels;
    std::size_t count = 0;
};

void listInk(const SnapWindow &w, InkList &list)
{
    // Written always, kept where inked: no branch on the ink.
    list.count = 0;
    for (int y = 0; y < w.height(); ++y)
        for (int x = 0; x < w.width(); ++x) {
            const float d = w.dark(x, y);
            list.pixels[list.count] = {float(x + 0.5), float(y + 0.5), d};
            list.count += d >= 0.15f;
        }
}

struct Lookup {
    // Single precision: the vote's cells are a pixel wide, and four angles
    // are worked out at once.
    alignas(16) std::array<float, Angles> cosine{}, sine{};
    Lookup()
    {
        for (int a = 0; a < Angles; ++a) {
            cosine[std::size_t(a)] = float(std::cos(a * Pi / Angles));
            sine[std::size_t(a)] = float(std::sin(a * Pi / Angles));
        }
    }
};
const Lookup Trig;

// The vote cell, along angle `a`, of a pixel (dx, dy) from the window's
// centre. Offsets stay above -Offsets / 2, so truncation rounds.
int offsetCell(float dx, float dy, int a)
{
    return int(dx * Trig.cosine[std::size_t(a)] + dy * Trig.sine[std::size_t(a)] + (Offsets / 2 + 0.5f));
}

// The line through the ink near `guess`, on the run of its ink nearest
// `centre`. A darkness-weighted total least squares fit over the pixels,
// repeated without the pixels that are darker than a line of the fitted
// width could make them at their distance from it: those belong to
// something else touching the line, a tick mark, a label, another line.
// `band`: how far from the guess ink counts; wider for a thick stroke, so
// that both of its soft edges weigh in and its centre is not pulled aside.
// `along`: only this part of the guess, once its run is known.
std::optional<Line> fitLine(const InkList &all, const Line &guess, double band, PixelPoint centre,
                            const std::pair<double, double> *along = nullptr)
{
    // The pixels of the band, once; every pass below runs over them only.
    std::array<Ink, SnapWindow::MaxSide * 8> ink;
    std::size_t count = 0;
    // Written always, kept where in the band (no branch to guess wrong);
    // the last place takes any overflow, which is given up below.
    const double first = along ? along->first : -1e9, last = along ? along->second : 1e9;
    for (std::size_t i = 0; i < all.count; ++i) {
        const Ink &p = all.pixels[i];
        const double t = guess.along(p.x, p.y);
        const bool in = (std::abs(guess.distance(p.x, p.y)) <= band) & (t >= first) & (t <= last);
        ink[std::min(count, ink.size() - 1)] = p;
        count += in;
    }
    if (count > ink.size())
        return std::nullopt; // no thin line is that dark: a blot

    // Ink counts as the line's own from half the darkness along its middle:
    // a thin line blurred by a scan never reaches full ink, but shows where
    // it ends all the same.
    float strong = 0.5f;
    {
        std::array<float, SnapWindow::MaxSide * 2> middle;
        std::size_t n = 0;
        for (std::size_t i = 0; i < count && n < middle.size(); ++i) {
            middle[n] = ink[i].d;
            n += std::abs(guess.distance(ink[i].x, ink[i].y)) <= 0.7;
        }
        if (n >= 3) {
            std::nth_element(middle.begin(), middle.begin() + std::ptrdiff_t(n / 2), middle.begin() + std::ptrdiff_t(n));
            strong = std::min(0.5f, 0.5f * middle[n / 2]);
        }
    }
    Line line = guess;
    for (int pass = 0; pass < 3; ++pass) {
        double sum = 0, sx = 0, sy = 0;
        for (std::size_t i = 0; i < count; ++i) {
            sum += ink[i].d;
            sx += ink[i].d * ink[i].x;
            sy += ink[i].d * ink[i].y;
        }
        if (sum < 3)
            return std::nullopt;
        const double mx = sx / sum, my = sy / sum;
        double xx = 0, xy = 0, yy = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const double dx = ink[i].x - mx, dy = ink[i].y - my;
            xx += ink[i].d * dx * dx;
            xy += ink[i].d * dx * dy;
            yy += ink[i].d * dy * dy;
        }
        // The line runs along the principal axis; its normal is the other one.
        const double angle = 0.5 * std::atan2(2 * xy, xx - yy);
        line = Line{mx, my, -std::sin(angle), std::cos(angle), 0, 0};
        double from = 1e9, to = -1e9;
        for (std::size_t i = 0; i < count; ++i) {
            const double t = line.along(ink[i].x, ink[i].y);
            const double away = double(ink[i].d < strong) * 1e12; // not the line's own: out of reach
            from = std::min(from, t + away);
            to = std::max(to, t - away);
        }
        if (from > to)
            return std::nullopt;
        line.from = from;
        line.to = to;
        // Ink per unit of length is the line's width.
        const double halfWidth = 0.5 * sum / std::max(1.0, to - from + 1);
        line.halfWidth = halfWidth;
        if (pass == 2)
            break;
        std::size_t kept = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const double expected = std::clamp(halfWidth + 0.5 - std::abs(line.distance(ink[i].x, ink[i].y)), 0.0, 1.0);
            ink[kept] = ink[i];
            kept += ink[i].d <= expected + 0.35;
        }
        if (kept == count)
            break; // the same pixels would give the same line again
        count = kept;
    }
    {
        // A stroke's ink spreads evenly across its width; ink of two things
        // averaged into one line spreads much wider than its width says.
        double sum = 0, spread = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const double d = line.distance(ink[i].x, ink[i].y);
            sum += ink[i].d;
            spread += ink[i].d * d * d;
        }
        if (sum <= 0 || std::sqrt(spread / sum) > 0.75 * line.halfWidth + 0.45)
            return std::nullopt;
    }
    if (!along) {
        // A candidate's ink along it comes in runs: the line itself, and
        // ink of other things lined up with it by chance (a label beyond
        // its end, a tick across the way). The run nearest the window's
        // middle is the line; the fit is made again on it alone.
        constexpr int Steps = 4 * SnapWindow::MaxSide, Shift = Steps / 2;
        std::array<bool, Steps> inked{};
        // Positions along are within a window's diagonal, so adding Shift
        // keeps them positive and truncation rounds.
        auto step = [](double t) { return std::clamp(int(t + Shift + 0.5), 0, Steps - 1); };
        for (std::size_t i = 0; i < count; ++i)
            if (ink[i].d >= strong)
                inked[std::size_t(step(line.along(ink[i].x, ink[i].y)))] = true;
        const double middle = line.along(centre.x, centre.y);
        int bestFrom = 0, bestTo = -1;
        double bestGap = 1e9;
        for (int t = step(line.from); t <= step(line.to);) {
            if (!inked[std::size_t(t)]) {
                ++t;
                continue;
            }
            int end = t, gap = 0;
            for (int u = t + 1; u <= step(line.to) && gap <= 2; ++u) {
                if (inked[std::size_t(u)]) {
                    end = u;
                    gap = 0;
                } else {
                    ++gap;
                }
            }
            const double from = t - Shift, to = end - Shift;
            const double away = middle < from ? from - middle : middle > to ? middle - to : 0;
            if (away < bestGap) {
                bestGap = away;
                bestFrom = t;
                bestTo = end;
            }
            t = end + 1;
        }
        if (bestTo < bestFrom || bestGap > 3)
            return std::nullopt;
        if (bestFrom > step(line.from) || bestTo < step(line.to)) {
            const std::pair<double, double> run{bestFrom - Shift - 1.0, bestTo - Shift + 1.0};
            auto again = fitLine(all, line, band, centre, &run);
            if (!again)
                return std::nullopt;
            return again;
        }
    }
    return line;
}

std::optional<PixelPoint> intersect(const Line &a, const Line &b)
{
    const double det = a.nx * b.ny - a.ny * b.nx; // sine of the angle between them
    if (std::abs(det) < std::sin(MinimumAngle))
        return std::nullopt;
    const double ca = a.nx * a.px + a.ny * a.py, cb = b.nx * b.px + b.ny * b.py;
    return PixelPoint{(ca * b.ny - cb * a.ny) / det, (a.nx * cb - b.nx * ca) / det};
}

// A line's ink runs up to the crossing: from there towards the middle of
// its run, it is dark all the way across the other stroke and a pixel on.
// A frame that ends short of a label's stroke beside it does not reach
// where the two would cross.
bool reaches(const SnapWindow &w, const Line &line, PixelPoint crossing, double otherHalfWidth)
{
    const double t = line.along(crossing.x, crossing.y), middle = 0.5 * (line.from + line.to);
    const double sign = middle >= t ? 1 : -1, ux = -line.ny * sign, uy = line.nx * sign;
    for (double s = 0; s <= otherHalfWidth + 1.5; s += 0.5)
        if (w.darkBetween(crossing.x + s * ux, crossing.y + s * uy) < 0.3)
            return false;
    return true;
}

// The crossing lies on both lines' ink, or where a line ends at a corner.
bool onBoth(const Line &a, const Line &b, PixelPoint p)
{
    constexpr double Slack = 2.5;
    const double ta = a.along(p.x, p.y), tb = b.along(p.x, p.y);
    return ta >= a.from - Slack && ta <= a.to + Slack && tb >= b.from - Slack && tb <= b.to + Slack;
}


// The middle line of a stroke, from profiles across it along its run: in each, the darkness-weighted middle of the stroke bounded by
// where the darkness falls to half its peak on either side, which holds for
// a blurred, anti-aliased or thick stroke alike. A profile that does not fall to half within reach (a tick
// or a label touching, another line) or is much wider than the stroke is
// left out, as is any near `other`; the middles are fitted by least
// squares, then once more without the ones far off the first fit.
struct ProfileFit {
    Line line;
    int profiles = 0; // taken across the run, a pixel apart
    int clean = 0;    // of them, a stroke alone with its width
    double rms = 0;   // of the middles about the fitted line, px
};

// `fine`: profiles every quarter pixel across, 16 along; else, to judge a
// candidate quickly, every half pixel and 8.
std::optional<ProfileFit> profileFit(const SnapWindow &w, const Line &guess, const Line *other, bool fine = true)
{
    const double ux = -guess.ny, uy = guess.nx;
    const double reach = std::clamp(2 * guess.halfWidth + 2.5, 3.0, 9.0);
    const double Step = fine ? 0.25 : 0.5;
    const int samples = int(2 * reach / Step) + 1;
    struct Middle {
        double x, y, width;
    };
    std::array<Middle, 4 * SnapWindow::MaxSide> middles;
    std::size_t count = 0;
    std::array<double, 80> profile;
    ProfileFit fit;
    // A pixel apart, or further along a long run.
    const double along = std::max(1.0, (guess.to - guess.from) / (fine ? 16 : 8));
    for (double t = std::floor(guess.from); t <= guess.to && count < middles.size(); t += along) {
        const double bx = guess.px + t * ux, by = guess.py + t * uy;
        if (bx < 0 || by < 0 || bx > w.width() || by > w.height())
            continue;
        if (other && std::abs(other->distance(bx, by)) < other->halfWidth + guess.halfWidth + 2)
            continue;
        ++fit.profiles;
        int top = -1;
        for (int i = 0; i < samples; ++i) {
            const double across = -reach + i * Step;
            profile[std::size_t(i)] = w.darkBetween(bx + across * guess.nx, by + across * guess.ny);
            if (std::abs(across) <= guess.halfWidth + 1 && (top < 0 || profile[std::size_t(i)] > profile[std::size_t(top)]))
                top = i;
        }
        if (top < 0 || profile[std::size_t(top)] < 0.3)
            continue; // a gap in the line
        const double half = 0.5 * profile[std::size_t(top)];
        int lo = top, hi = top;
        while (lo > 0 && profile[std::size_t(lo)] >= half)
            --lo;
        while (hi < samples - 1 && profile[std::size_t(hi)] >= half)
            ++hi;
        if (profile[std::size_t(lo)] >= half || profile[std::size_t(hi)] >= half)
            continue; // something runs on across it
        auto crossing = [&](int outside, int inside) {
            const double a = profile[std::size_t(outside)], b = profile[std::size_t(inside)];
            return -reach + Step * (outside + (inside - outside) * (half - a) / (b - a));
        };
        const double left = crossing(lo, lo + 1), right = crossing(hi, hi - 1);
        // The middle: the darkness-weighted centre between a pixel beyond
        // either half-peak crossing. (The crossings' midpoint would do for a
        // thick stroke, but is biased on a thin anti-aliased one.)
        // Above the darker side's level: a tint on one side of a frame
        // (a grey plot area) does not pull it.
        const int first = std::max(0, lo - 4), last = std::min(samples - 1, hi + 4);
        const double base = std::max(profile[std::size_t(first)], profile[std::size_t(last)]);
        double sum = 0, weighted = 0;
        for (int i = first; i <= last; ++i) {
            const double d = std::max(0.0, profile[std::size_t(i)] - base);
            sum += d;
            weighted += d * (-reach + i * Step);
        }
        if (sum <= 0)
            continue;
        const double middle = weighted / sum;
        middles[count++] = {bx + middle * guess.nx, by + middle * guess.ny, right - left};
    }
    if (count < 5)
        return std::nullopt;
    std::array<double, 4 * SnapWindow::MaxSide> widths;
    for (std::size_t i = 0; i < count; ++i)
        widths[i] = middles[i].width;
    std::nth_element(widths.begin(), widths.begin() + std::ptrdiff_t(count / 2), widths.begin() + std::ptrdiff_t(count));
    const double usual = widths[count / 2];

    Line line = guess;
    std::array<bool, 4 * SnapWindow::MaxSide> used;
    for (std::size_t i = 0; i < count; ++i)
        used[i] = std::abs(middles[i].width - usual) <= 0.6 + 0.15 * usual; // a tick or a letter touching widens it
    for (int pass = 0; pass < 3; ++pass) {
        double n = 0, mx = 0, my = 0;
        for (std::size_t i = 0; i < count; ++i)
            if (used[i]) {
                mx += middles[i].x;
                my += middles[i].y;
                ++n;
            }
        if (n < 5)
            return std::nullopt;
        mx /= n;
        my /= n;
        double xx = 0, xy = 0, yy = 0;
        for (std::size_t i = 0; i < count; ++i)
            if (used[i]) {
                const double dx = middles[i].x - mx, dy = middles[i].y - my;
                xx += dx * dx;
                xy += dx * dy;
                yy += dy * dy;
            }
        const double angle = 0.5 * std::atan2(2 * xy, xx - yy);
        line.px = mx;
        line.py = my;
        line.nx = -std::sin(angle);
        line.ny = std::cos(angle);
        if (line.nx * guess.nx + line.ny * guess.ny < 0) {
            line.nx = -line.nx;
            line.ny = -line.ny;
        }
        double spread = 0;
        for (std::size_t i = 0; i < count; ++i)
            if (used[i])
                spread += line.distance(middles[i].x, middles[i].y) * line.distance(middles[i].x, middles[i].y);
        fit.rms = std::sqrt(spread / n);
        fit.clean = int(n);
        if (pass == 2)
            break;
        // Far off: more than three robust deviations (from the median
        // distance, which a tick or a letter's stroke beside it does not move).
        std::array<double, 4 * SnapWindow::MaxSide> off;
        std::size_t m = 0;
        for (std::size_t i = 0; i < count; ++i)
            if (used[i])
                off[m++] = std::abs(line.distance(middles[i].x, middles[i].y));
        std::nth_element(off.begin(), off.begin() + std::ptrdiff_t(m / 2), off.begin() + std::ptrdiff_t(m));
        const double limit = std::max(0.25, 3 * 1.4826 * off[m / 2]);
        bool dropped = false;
        for (std::size_t i = 0; i < count; ++i)
            if (used[i] && std::abs(line.distance(middles[i].x, middles[i].y)) > limit) {
                used[i] = false;
                dropped = true;
            }
        if (!dropped)
            break; // the same middles would give the same line again
    }
    // The run keeps its place along the line: `from` and `to` as they were.
    const double shift = guess.along(line.px, line.py);
    line.from = guess.from - shift;
    line.to = guess.to - shift;
    line.halfWidth = 0.5 * usual;
    fit.line = line;
    return fit;
}

// A line is taken as one where its profiles show a straight stroke: at
// least two in five of them clean (dense ticks break the others), their middles
// within a few tenths of a pixel of one line. A line averaged from a label
// and a frame, or from the strokes of letters, shows neither.
bool straightStroke(const std::optional<ProfileFit> &fit)
{
    return fit && fit->clean >= 5 && 5 * fit->clean >= 2 * fit->profiles && fit->rms <= 0.3
        && fit->line.to - fit->line.from >= 4 * fit->line.halfWidth; // a blob is as wide as it is long
}

// Straight lines in the window, strongest first, added to `lines` after the
// ones already there unless they repeat one of them. `plain`, for a second
// look in an emphasised window, is the window it was made from; lines found
// then are marked as such in `fromFaint` (they must be fitted in it again).
void findLines(const SnapWindow &w, const InkList &ink, const SnapWindow *plain, std::array<Line, 8> &lines,
               std::array<bool, 8> &fromFaint, int &lineCount, PixelPoint pointer)
{
    // Straight lines vote in (angle, offset) space; each dark pixel in the
    // middle of its stroke votes with its darkness for every line through
    // it. Only the middle: a thick stroke would otherwise vote as wide as it
    // is, and lose to a diagonal through the solid corner where two meet.
    // A pixel is in the middle where, across some direction, it lies at
    // least as deep in the ink as both neighbours and deeper than one.
    InkDepth depth;
    depth.measure(w, VoteDarkness);
    auto middle = [&depth](int x, int y) {
        const int d = depth(x, y);
        constexpr int Across[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
        for (const auto &a : Across) {
            const int p = depth(x - a[0], y - a[1]), n = depth(x + a[0], y + a[1]);
            if (d >= p && d >= n && (p < d || n < d))
                return true;
        }
        return false;
    };
    const double cx = w.width() / 2.0, cy = w.height() / 2.0;
    const int knownLines = plain ? lineCount : 0;
    // Counts of whole pixels; the cells that reach a line's worth are
    // listed as they do, so the search for peaks looks at those alone.
    std::array<std::uint16_t, Angles * Offsets> votes{};
    std::array<std::uint64_t, (Angles * Offsets + 63) / 64> enough{}; // a bit per cell
    struct Voter {
        float dx, dy, x, y;
    };
    std::array<Voter, SnapWindow::MaxSide * SnapWindow::MaxSide> voters;
    std::size_t voterCount = 0;
    for (std::size_t i = 0; i < ink.count; ++i) {
        const float d = ink.pixels[i].d;
        if (d < VoteDarkness || !middle(int(ink.pixels[i].x), int(ink.pixels[i].y)))
            continue;
        // A second look for faint lines leaves out what the first one saw
        // (ink dark enough to vote there, and the lines already found): it
        // would only be found, or refused, again.
        if (plain && plain->dark(int(ink.pixels[i].x), int(ink.pixels[i].y)) >= VoteDarkness)
            continue;
        bool known = false;
        for (int l = 0; l < knownLines && !known; ++l)
            known = onStroke(lines[std::size_t(l)], ink.pixels[i].x, ink.pixels[i].y);
        if (known)
            continue;
        const float dx = ink.pixels[i].x - float(cx), dy = ink.pixels[i].y - float(cy);
        voters[voterCount++] = {dx, dy, ink.pixels[i].x, ink.pixels[i].y};
        std::array<int, Angles> cell;
        for (int a = 0; a < Angles; ++a)
            cell[std::size_t(a)] = offsetCell(dx, dy, a);
        for (int a = 0; a < Angles; ++a) {
            const int o = cell[std::size_t(a)];
            if (o >= 0 && o < Offsets && ++votes[std::size_t(a * Offsets + o)] == MinimumVotes)
                enough[std::size_t(a * Offsets + o) / 64] |= std::uint64_t(1) << ((a * Offsets + o) % 64);
        }
    }

    // The strongest few local maxima become candidate lines.
    struct Peak {
        float votes;
        int angle, offset;
    };
    std::array<Peak, 6> peaks{};
    int peakCount = 0;
    // In the order of the cells, for ties.
    for (std::size_t word = 0, bits = enough[0];;) {
        if (!bits) {
            if (++word == enough.size())
                break;
            bits = enough[word];
            continue;
        }
        const int cell = int(word * 64) + std::countr_zero(bits);
        bits &= bits - 1;
        const int a = cell / Offsets, o = cell % Offsets;
        if (o < 1 || o + 1 >= Offsets)
            continue;
        const float v = votes[std::size_t(cell)];
        bool highest = true;
        for (int da = -2; da <= 2 && highest; ++da)
            for (int dof = -1; dof <= 1 && highest; ++dof) {
                if (!da && !dof)
                    continue;
                int na = a + da, no = o + dof;
                if (na < 0) { // angles wrap, with the offset's sign turned
                    na += Angles;
                    no = Offsets - 1 - no;
                } else if (na >= Angles) {
                    na -= Angles;
                    no = Offsets - 1 - no;
                }
                if (no < 0 || no >= Offsets)
                    continue;
                const float n = votes[std::size_t(na * Offsets + no)];
                // Ties go to the earlier cell, so a flat top yields one peak.
                if (n > v || (n == v && (na * Offsets + no) < (a * Offsets + o)))
                    highest = false;
            }
        if (!highest)
            continue;
        // Kept in falling order; the weakest drops out of a full list.
        if (peakCount == int(peaks.size()) && peaks.back().votes >= v)
            continue;
        if (peakCount < int(peaks.size()))
            ++peakCount;
        int slot = peakCount - 1;
        for (; slot > 0 && peaks[std::size_t(slot - 1)].votes < v; --slot)
            peaks[std::size_t(slot)] = peaks[std::size_t(slot - 1)];
        peaks[std::size_t(slot)] = Peak{v, a, o};
    }

    for (int i = 0; i < peakCount && lineCount < int(lines.size()); ++i) {
        const double angle = peaks[std::size_t(i)].angle * Pi / Angles;
        const double offset = peaks[std::size_t(i)].offset - Offsets / 2;
        Line guess{cx + offset * std::cos(angle), cy + offset * std::sin(angle), std::cos(angle), std::sin(angle), 0, 0};
        // A line spread over neighbouring cells votes more than once, and a
        // slanting band catches a slice of it; the strongest vote stands for
        // it. (Lines closer in angle could not make a crossing anyway.)
        auto repeats = [&lines, lineCount](const Line &candidate) {
            return std::any_of(lines.begin(), lines.begin() + lineCount, [&candidate](const Line &l) {
                return std::abs(l.nx * candidate.ny - l.ny * candidate.nx) < std::sin(MinimumAngle)
                    && std::abs(l.distance(candidate.px, candidate.py)) < 2.0;
            });
        };
        if (repeats(guess))
            continue; // not worth fitting
        // A band slanting through a line already found (at less than 45
        // degrees), or through a mark taken for a short thick line, draws
        // most of its votes from that ink: without them it is no line. (A
        // line across another at a wide angle shares only the crossing.)
        if (lineCount > 0) {
            const int a = peaks[std::size_t(i)].angle, o = peaks[std::size_t(i)].offset;
            std::array<int, 8> near;
            int nearCount = 0;
            for (int l = 0; l < lineCount; ++l) {
                const Line &known = lines[std::size_t(l)];
                const bool blob = known.to - known.from < 5 * known.halfWidth; // a mark fitted as a line
                if (blob || std::abs(known.nx * guess.ny - known.ny * guess.nx) < std::sin(45 * Pi / 180))
                    near[std::size_t(nearCount++)] = l;
            }
            int own = 0;
            for (std::size_t v = 0; v < voterCount && own < MinimumVotes && nearCount > 0; ++v) {
                const Voter &p = voters[v];
                if (offsetCell(p.dx, p.dy, a) != o)
                    continue;
                bool known = false;
                for (int n = 0; n < nearCount && !known; ++n)
                    known = onStroke(lines[std::size_t(near[std::size_t(n)])], p.x, p.y);
                own += !known;
            }
            if (nearCount > 0 && own < MinimumVotes)
                continue;
        }
        auto fitted = fitLine(ink, guess, 1.6, pointer);
        // The votes place a line to within 5 degrees: a fit turned further
        // has averaged two things into one (a frame and the label beside it).
        if (fitted && std::abs(guess.nx * fitted->ny - guess.ny * fitted->nx) > std::sin(8 * Pi / 180))
            fitted.reset();
        // Fitted again where the band was not centred on the ink (the first
        // fit moved it), or was narrower than the stroke, until it is both.
        double band = 1.6;
        for (int again = 0; again < 3 && fitted; ++again) {
            const double wanted = std::clamp(fitted->halfWidth + 1.0, 1.6, 4.0);
            if (std::abs(guess.distance(fitted->px, fitted->py)) <= 0.3
                && std::abs(guess.nx * fitted->ny - guess.ny * fitted->nx) <= 0.03 && wanted <= band + 0.3)
                break;
            band = wanted;
            const Line moved = *fitted;
            fitted = fitLine(ink, moved, band, pointer);
            guess = moved;
        }
        if (!fitted || fitted->to - fitted->from < MinimumLength)
            continue;
        if (!repeats(*fitted)) {
            fromFaint[std::size_t(lineCount)] = plain != nullptr;
            lines[std::size_t(lineCount++)] = *fitted;
        }
    }
}

// The `k`th smallest of `n` darknesses (each 0 to 1), as std::nth_element
// would give it, by counting them into bins first: sorting a window's worth
// guesses wrong at nearly every step.
float kthDarkness(const float *values, std::size_t n, std::size_t k)
{
    constexpr int Bins = 1024;
    std::array<std::uint16_t, Bins> count{};
    for (std::size_t i = 0; i < n; ++i)
        ++count[std::size_t(std::clamp(int(values[i] * Bins), 0, Bins - 1))];
    int bin = 0;
    std::size_t below = 0;
    while (below + count[std::size_t(bin)] <= k)
        below += count[std::size_t(bin++)];
    std::array<float, SnapWindow::MaxSide * SnapWindow::MaxSide> same;
    std::size_t m = 0;
    for (std::size_t i = 0; i < n; ++i) {
        same[m] = values[i];
        m += std::clamp(int(values[i] * Bins), 0, Bins - 1) == bin;
    }
    std::nth_element(same.begin(), same.begin() + std::ptrdiff_t(k - below), same.begin() + std::ptrdiff_t(m));
    return same[k - below];
}

// The darkness of the faintest lines worth a second look: what the pixels
// away from every line found so far reach at the top of their range.
float faintInk(const SnapWindow &w, const std::array<Line, 8> &lines, int lineCount, bool underStrong)
{
    auto nearLine = [&lines, lineCount](int x, int y) {
        bool near = false;
        for (int i = 0; i < lineCount; ++i)
            near |= std::abs(lines[std::size_t(i)].distance(x + 0.5, y + 0.5)) < 2.5;
        return near;
    };
    std::array<float, SnapWindow::MaxSide * SnapWindow::MaxSide> rest;
    std::size_t n = 0;
    for (int y = 0; y < w.height(); ++y)
        for (int x = 0; x < w.width(); ++x) {
            rest[n] = w.dark(x, y);
            n += !nearLine(x, y);
        }
    if (n < 20)
        return 0;
    // The 99th percentile: a faint line is a thin share.
    const float level = kthDarkness(rest.data(), n, n - 1 - n / 100);
    if (level < VoteDarkness * 1.5f || !underStrong)
        return level;
    // Strong ink away from the lines (a mark, a curve's bend) would hide a
    // faint grid under it: where `underStrong`, the level is then taken
    // among what was too light to vote and lies clear of such ink, so that
    // the soft edges of letters and thick strokes do not pass for a grid.
    std::size_t light = 0;
    for (int y = 1; y + 1 < w.height(); ++y)
        for (int x = 1; x + 1 < w.width(); ++x) {
            bool clear = true;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    clear &= w.dark(x + dx, y + dy) < VoteDarkness;
            rest[light] = w.dark(x, y);
            light += clear && !nearLine(x, y);
        }
    if (light < 20)
        return level;
    return kthDarkness(rest.data(), light, light - 1 - light / 100);
}

} // namespace


struct Crossing {
    PixelPoint at;
    double halfWidth; // of the thicker of its two strokes
};

// The crossing found in the window of `radius` round the position.
static std::optional<Crossing> crossingNear(const PixelBuffer &picture, PixelPoint position, int radius)
{
    const SnapWindow w(picture, position, radius);
    if (w.empty() || w.inkShare() > 0.4)
        return std::nullopt;
    std::array<Line, 8> lines{};
    std::array<bool, 8> fromFaint{};
    int lineCount = 0;
    InkList ink, faintInkList;
    listInk(w, ink);
    findLines(w, ink, nullptr, lines, fromFaint, lineCount, {position.x - w.left(), position.y - w.top()});
    // Made only when needed, on the heap: an empty std::optional of a
    // window this size is cleared whole by GCC on every call.
    std::unique_ptr<SnapWindow> emphasised;
    auto windowOf = [&](int line) -> const SnapWindow & { return fromFaint[std::size_t(line)] ? *emphasised : w; };

    // The pair whose crossing is nearest the position.
    const double px = position.x - w.left(), py = position.y - w.top();
    int bestA = -1, bestB = -1;
    double bestDistance = SnapRadius;
    // Whether each line shows a straight stroke, judged only once it takes
    // part in the pair that would be chosen: 1 yes, -1 no, 0 not yet seen.
    std::array<int, 8> stroke{};
    auto pickPair = [&] {
        bestA = bestB = -1;
        bestDistance = SnapRadius;
        for (;;) {
            // Nearness counts, and so does length: a fifth of a pixel for each
            // pixel of the shorter line, up to 4 px, so a stub of a label or
            // the end of a tick beside an axes' corner does not win it.
            int a = -1, b = -1;
            double bestScore = 1e9, nearest = 0;
            for (int i = 0; i < lineCount; ++i)
                for (int j = i + 1; j < lineCount; ++j) {
                    if (stroke[std::size_t(i)] < 0 || stroke[std::size_t(j)] < 0)
                        continue;
                    const Line &li = lines[std::size_t(i)], &lj = lines[std::size_t(j)];
                    const auto p = intersect(li, lj);
                    if (!p || !onBoth(li, lj, *p) || !reaches(windowOf(i), li, *p, lj.halfWidth)
                        || !reaches(windowOf(j), lj, *p, li.halfWidth))
                        continue;
                    const double distance = std::sqrt((p->x - px) * (p->x - px) + (p->y - py) * (p->y - py));
                    const double score = distance - 0.2 * std::min(20.0, std::min(li.to - li.from, lj.to - lj.from));
                    if (distance <= SnapRadius && score < bestScore) {
                        bestScore = score;
                        a = i;
                        b = j;
                        nearest = distance;
                    }
                }
            if (a < 0)
                return;
            // A stroke judged straight takes the place its profiles give it:
            // two slanting votes through one thick stroke then become one
            // line, and no longer cross.
            for (const int line : {a, b})
                if (!stroke[std::size_t(line)]) {
                    const auto fit = profileFit(windowOf(line), lines[std::size_t(line)], nullptr, false);
                    stroke[std::size_t(line)] = straightStroke(fit) ? 1 : -1;
                    if (stroke[std::size_t(line)] > 0)
                        lines[std::size_t(line)] = fit->line;
                }
            if (stroke[std::size_t(a)] > 0 && stroke[std::size_t(b)] > 0) {
                bestA = a;
                bestB = b;
                bestDistance = nearest;
                return;
            }
        }
    };
    pickPair();
    // A light grid beside a black axis votes too little next to it: unless a
    // crossing lies right at hand already, look again with the grid's own
    // darkness as full ink.
    if (bestA < 0 || bestDistance > 3) {
        const float faint = faintInk(w, lines, lineCount, bestA < 0);
        if (faint >= 0.1f && faint < VoteDarkness * 1.5f) {
            emphasised.reset(new SnapWindow(w.emphasised(faint))); // built in place, not copied
            listInk(*emphasised, faintInkList);
            findLines(*emphasised, faintInkList, &w, lines, fromFaint, lineCount, {position.x - w.left(), position.y - w.top()});
            pickPair();
        }
    }
    if (bestA < 0)
        return std::nullopt;

    // Each line again from its profiles, away from the other line near the
    // crossing, in the window it was found in; kept as it was where those
    // no longer show a straight stroke.
    Line first = lines[std::size_t(bestA)], second = lines[std::size_t(bestB)];
    {
        const auto a = profileFit(windowOf(bestA), first, &second);
        const auto b = profileFit(windowOf(bestB), second, &first);
        if (straightStroke(a))
            first = a->line;
        if (straightStroke(b))
            second = b->line;
    }
    const auto crossing = intersect(first, second);
    if (!crossing || std::sqrt((crossing->x - px) * (crossing->x - px) + (crossing->y - py) * (crossing->y - py)) > SnapRadius)
        return std::nullopt;
    // Lines running off the picture may cross beyond its edge: not a place
    // anyone can point at.
    const PixelPoint found{crossing->x + w.left(), crossing->y + w.top()};
    if (found.x < 0 || found.y < 0 || found.x > picture.width || found.y > picture.height)
        return std::nullopt;
    return Crossing{found, std::max(first.halfWidth, second.halfWidth)};
}

std::optional<PixelPoint> snapToCrossing(const PixelBuffer &picture, PixelPoint position)
{
    const auto close = crossingNear(picture, position, Radius);
    // A thick stroke leaves too little of itself clear of the other in the
    // close look to fix its direction: there the wide look decides, if it
    // finds the same crossing.
    if (!close || close->halfWidth >= 1.75) {
        const auto wide = crossingNear(picture, position, WideRadius);
        if (wide && (!close || std::hypot(wide->at.x - close->at.x, wide->at.y - close->at.y) < 2 + close->halfWidth))
            return wide->at;
    }
    if (close)
        return close->at;
    return snapToMark(picture, position, MarkKinds::SmallFilled);
}

} // namespace pontiva

// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Where two straight lines cross or meet near a position: grid lines, axes, ticks.
#include "snapping/crossingsnap.h"

#include "snapping/marksnap.h"
#include "snapping/snapwindow.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace pontiva {

namespace {

constexpr int Radius = 12;
constexpr int Angles = 60; // 3 degrees apart
constexpr int Offsets = 2 * 18 + 1; // -18..18 px from the window's centre, past its corners
constexpr double Pi = 3.14159265358979323846;
constexpr float VoteDarkness = 0.35f;
constexpr double MinimumVotes = 5;   // about five pixels of full ink on one line
constexpr double MinimumLength = 5;  // pixels of ink along a fitted line
constexpr double MinimumAngle = 20 * Pi / 180;

struct Line {
    // Points p with (p - point) . normal == 0; normal has unit length.
    double px = 0, py = 0;
    double nx = 0, ny = 0;
    double from = 0, to = 0; // extent of the ink along the line, from `point`
    double distance(double x, double y) const { return (x - px) * nx + (y - py) * ny; }
    double along(double x, double y) const { return (x - px) * -ny + (y - py) * nx; }
};

struct Lookup {
    std::array<double, Angles> cosine{}, sine{};
    Lookup()
    {
        for (int a = 0; a < Angles; ++a) {
            cosine[std::size_t(a)] = std::cos(a * Pi / Angles);
            sine[std::size_t(a)] = std::sin(a * Pi / Angles);
        }
    }
};
const Lookup Trig;

// The line through the ink near `guess`, leaving out ink near `other` (the
// crossing's blob would pull it). A darkness-weighted total least squares fit
// over the pixels, repeated without the pixels that are darker than a line of
// the fitted width could make them at their distance from it: those belong
// to something else touching the line, a tick mark, a label, another line.
std::optional<Line> fitLine(const SnapWindow &w, const Line &guess, const Line *other)
{
    constexpr int Cells = SnapWindow::MaxSide * SnapWindow::MaxSide;
    std::array<float, Cells> weight{};
    for (int y = 0; y < w.height(); ++y)
        for (int x = 0; x < w.width(); ++x) {
            const double cx = x + 0.5, cy = y + 0.5;
            const float d = w.dark(x, y);
            if (d < 0.15f || std::abs(guess.distance(cx, cy)) > 1.6)
                continue;
            if (other && std::abs(other->distance(cx, cy)) < 2.2)
                continue;
            weight[std::size_t(y * SnapWindow::MaxSide + x)] = d;
        }

    Line line = guess;
    for (int pass = 0; pass < 3; ++pass) {
        double sum = 0, sx = 0, sy = 0;
        for (int y = 0; y < w.height(); ++y)
            for (int x = 0; x < w.width(); ++x) {
                const double d = weight[std::size_t(y * SnapWindow::MaxSide + x)];
                sum += d;
                sx += d * (x + 0.5);
                sy += d * (y + 0.5);
            }
        if (sum < 3)
            return std::nullopt;
        const double mx = sx / sum, my = sy / sum;
        double xx = 0, xy = 0, yy = 0, from = 1e9, to = -1e9;
        for (int y = 0; y < w.height(); ++y)
            for (int x = 0; x < w.width(); ++x) {
                const double d = weight[std::size_t(y * SnapWindow::MaxSide + x)];
                if (d == 0)
                    continue;
                const double dx = x + 0.5 - mx, dy = y + 0.5 - my;
                xx += d * dx * dx;
                xy += d * dx * dy;
                yy += d * dy * dy;
            }
        // The line runs along the principal axis; its normal is the other one.
        const double angle = 0.5 * std::atan2(2 * xy, xx - yy);
        line = Line{mx, my, -std::sin(angle), std::cos(angle), 0, 0};
        for (int y = 0; y < w.height(); ++y)
            for (int x = 0; x < w.width(); ++x)
                if (weight[std::size_t(y * SnapWindow::MaxSide + x)] >= 0.5f) {
                    const double t = line.along(x + 0.5, y + 0.5);
                    from = std::min(from, t);
                    to = std::max(to, t);
                }
        if (from > to)
            return std::nullopt;
        line.from = from;
        line.to = to;
        if (pass == 2)
            break;
        // Ink per unit of length is the line's width.
        const double halfWidth = 0.5 * sum / std::max(1.0, to - from + 1);
        for (int y = 0; y < w.height(); ++y)
            for (int x = 0; x < w.width(); ++x) {
                float &d = weight[std::size_t(y * SnapWindow::MaxSide + x)];
                const double expected = std::clamp(halfWidth + 0.5 - std::abs(line.distance(x + 0.5, y + 0.5)), 0.0, 1.0);
                if (d > expected + 0.35)
                    d = 0;
            }
    }
    if (!other) {
        // A candidate has ink along most of its length; ink of other lines
        // lined up by chance (across a crossing, say) leaves long gaps.
        constexpr int Steps = 4 * SnapWindow::MaxSide, Shift = Steps / 2;
        std::array<bool, Steps> inked{};
        for (int y = 0; y < w.height(); ++y)
            for (int x = 0; x < w.width(); ++x)
                if (weight[std::size_t(y * SnapWindow::MaxSide + x)] >= 0.5f)
                    inked[std::size_t(std::clamp(int(std::lround(line.along(x + 0.5, y + 0.5))) + Shift, 0, Steps - 1))] = true;
        int steps = 0, covered = 0;
        for (int t = int(std::lround(line.from)); t <= int(std::lround(line.to)); ++t, ++steps)
            covered += inked[std::size_t(std::clamp(t + Shift, 0, Steps - 1))];
        if (covered < 0.75 * steps)
            return std::nullopt;
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

// The crossing lies on both lines' ink, or where a line ends at a corner.
bool onBoth(const Line &a, const Line &b, PixelPoint p)
{
    constexpr double Slack = 2.5;
    const double ta = a.along(p.x, p.y), tb = b.along(p.x, p.y);
    return ta >= a.from - Slack && ta <= a.to + Slack && tb >= b.from - Slack && tb <= b.to + Slack;
}


// Straight lines in the window, strongest first, added to `lines` after the
// ones already there unless they repeat one of them. `faint` marks them as
// found in an emphasised window, where they must be fitted again.
void findLines(const SnapWindow &w, bool faint, std::array<Line, 8> &lines, std::array<bool, 8> &fromFaint, int &lineCount)
{
    // Straight lines vote in (angle, offset) space; each dark pixel votes
    // with its darkness for every line through it.
    const double cx = w.width() / 2.0, cy = w.height() / 2.0;
    std::array<float, Angles * Offsets> votes{};
    for (int y = 0; y < w.height(); ++y)
        for (int x = 0; x < w.width(); ++x) {
            const float d = w.dark(x, y);
            if (d < VoteDarkness)
                continue;
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            for (int a = 0; a < Angles; ++a) {
                const int o = int(std::lround(dx * Trig.cosine[std::size_t(a)] + dy * Trig.sine[std::size_t(a)])) + Offsets / 2;
                if (o >= 0 && o < Offsets)
                    votes[std::size_t(a * Offsets + o)] += d;
            }
        }

    // The strongest few local maxima become candidate lines.
    struct Peak {
        float votes;
        int angle, offset;
    };
    std::array<Peak, 8> peaks{};
    int peakCount = 0;
    for (int a = 0; a < Angles; ++a)
        for (int o = 1; o + 1 < Offsets; ++o) {
            const float v = votes[std::size_t(a * Offsets + o)];
            if (v < MinimumVotes)
                continue;
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
        const Line guess{cx + offset * std::cos(angle), cy + offset * std::sin(angle), std::cos(angle), std::sin(angle), 0, 0};
        // Fitted twice: the first fit centres the band on the ink.
        auto fitted = fitLine(w, guess, nullptr);
        if (fitted)
            fitted = fitLine(w, *fitted, nullptr);
        if (!fitted || fitted->to - fitted->from < MinimumLength)
            continue;
        // A line spread over neighbouring cells votes more than once, and a
        // slanting band catches a slice of it; the strongest vote stands for
        // it. (Lines closer in angle could not make a crossing anyway.)
        const bool seen = std::any_of(lines.begin(), lines.begin() + lineCount, [&fitted](const Line &l) {
            return std::abs(l.nx * fitted->ny - l.ny * fitted->nx) < std::sin(MinimumAngle)
                && std::abs(l.distance(fitted->px, fitted->py)) < 2.0;
        });
        if (!seen) {
            fromFaint[std::size_t(lineCount)] = faint;
            lines[std::size_t(lineCount++)] = *fitted;
        }
    }
}

// The darkness of the faintest lines worth a second look: what the pixels
// away from every line found so far reach at the top of their range.
float faintInk(const SnapWindow &w, const std::array<Line, 8> &lines, int lineCount)
{
    std::array<float, SnapWindow::MaxSide * SnapWindow::MaxSide> rest;
    std::size_t n = 0;
    for (int y = 0; y < w.height(); ++y)
        for (int x = 0; x < w.width(); ++x) {
            bool nearLine = false;
            for (int i = 0; i < lineCount && !nearLine; ++i)
                nearLine = std::abs(lines[std::size_t(i)].distance(x + 0.5, y + 0.5)) < 2.5;
            if (!nearLine)
                rest[n++] = w.dark(x, y);
        }
    if (n < 20)
        return 0;
    const std::size_t top = n - 1 - n / 33; // the 97th percentile
    std::nth_element(rest.begin(), rest.begin() + std::ptrdiff_t(top), rest.begin() + std::ptrdiff_t(n));
    return rest[top];
}

} // namespace


std::optional<PixelPoint> snapToCrossing(const PixelBuffer &picture, PixelPoint position)
{
    const SnapWindow w(picture, position, Radius);
    if (w.empty() || w.inkShare() > 0.4)
        return snapToMark(picture, position);
    std::array<Line, 8> lines{};
    std::array<bool, 8> fromFaint{};
    int lineCount = 0;
    findLines(w, false, lines, fromFaint, lineCount);
    // A light grid beside a black axis votes too little next to it: look
    // again with the grid's own darkness as full ink.
    const float faint = faintInk(w, lines, lineCount);
    const SnapWindow emphasised = w.emphasised(std::max(faint, 0.05f));
    if (faint >= 0.1f && faint < VoteDarkness * 1.5f)
        findLines(emphasised, true, lines, fromFaint, lineCount);
    auto view = [&](int line) -> const SnapWindow & { return fromFaint[std::size_t(line)] ? emphasised : w; };

    // The pair whose crossing is nearest the position.
    const double px = position.x - w.left(), py = position.y - w.top();
    int bestA = -1, bestB = -1;
    double bestDistance = SnapRadius;
    for (int a = 0; a < lineCount; ++a)
        for (int b = a + 1; b < lineCount; ++b) {
            const auto p = intersect(lines[std::size_t(a)], lines[std::size_t(b)]);
            if (!p || !onBoth(lines[std::size_t(a)], lines[std::size_t(b)], *p))
                continue;
            const double distance = std::hypot(p->x - px, p->y - py);
            if (distance <= bestDistance) {
                bestDistance = distance;
                bestA = a;
                bestB = b;
            }
        }
    if (bestA < 0)
        return snapToMark(picture, position);

    // Each line again, without the ink of the other near the crossing, in
    // the window it was found in.
    Line first = lines[std::size_t(bestA)], second = lines[std::size_t(bestB)];
    for (int pass = 0; pass < 2; ++pass) {
        const auto a = fitLine(view(bestA), first, &second);
        const auto b = fitLine(view(bestB), second, &first);
        if (!a || !b)
            break;
        first = *a;
        second = *b;
    }
    const auto crossing = intersect(first, second);
    if (!crossing || std::hypot(crossing->x - px, crossing->y - py) > SnapRadius)
        return snapToMark(picture, position);
    // Lines running off the picture may cross beyond its edge: not a place
    // anyone can point at.
    const PixelPoint found{crossing->x + w.left(), crossing->y + w.top()};
    if (found.x < 0 || found.y < 0 || found.x > picture.width || found.y > picture.height)
        return snapToMark(picture, position);
    return found;
}

} // namespace pontiva

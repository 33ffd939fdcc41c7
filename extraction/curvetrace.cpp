// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Following one curve from a click, and the points to read along it.
#include "extraction/curvetrace.h"

#include "extraction/inkcolour.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace pontiva {

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double Sample = 0.5; // across a profile, px

// The stroke's colour read straight from the picture, bilinear between
// pixel centres; nothing outside.
class Stroke
{
public:
    Stroke(const PixelBuffer &picture, InkMatch match) : Picture(picture), Match(match) {}
    double at(double x, double y) const
    {
        const double fx = x - 0.5, fy = y - 0.5;
        if (!(fx > -1 && fy > -1 && fx < Picture.width && fy < Picture.height))
            return 0;
        const int x0 = int(std::floor(fx)), y0 = int(std::floor(fy));
        const double ax = fx - x0, ay = fy - y0;
        return (1 - ay) * ((1 - ax) * pixel(x0, y0) + ax * pixel(x0 + 1, y0))
            + ay * ((1 - ax) * pixel(x0, y0 + 1) + ax * pixel(x0 + 1, y0 + 1));
    }
    // Ink on the outermost pixels spreads half a pixel past the edge, and
    // may pull a middle there: such a point is not on the picture.
    bool covers(PixelPoint p) const { return p.x >= 0 && p.y >= 0 && p.x <= Picture.width && p.y <= Picture.height; }

private:
    double pixel(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= Picture.width || y >= Picture.height)
            return 0;
        return Match.at(Picture, x, y);
    }
    const PixelBuffer &Picture;
    InkMatch Match;
};

// A profile across the stroke at `p`, along `normal`: the middle and width
// of the run of ink nearest p.
struct Profile {
    bool found = false;
    double offset = 0, width = 0, peak = 0;
};

Profile profileAt(const Stroke &s, PixelPoint p, PixelPoint normal, double half, double threshold, double within)
{
    constexpr int MaxSamples = 129;
    const int n = std::min(MaxSamples / 2, int(half / Sample));
    double v[MaxSamples];
    for (int i = -n; i <= n; ++i)
        v[i + n] = s.at(p.x + i * Sample * normal.x, p.y + i * Sample * normal.y);
    // The runs above the threshold; the one whose nearest end is nearest 0.
    int bestFrom = -1, bestTo = -1;
    double bestDistance = 1e9;
    for (int i = 0; i <= 2 * n;) {
        if (v[i] < threshold) {
            ++i;
            continue;
        }
        int j = i;
        while (j + 1 <= 2 * n && v[j + 1] >= threshold)
            ++j;
        const double from = (i - n) * Sample, to = (j - n) * Sample;
        const double distance = from > 0 ? from : to < 0 ? -to : 0;
        if (distance < bestDistance) {
            bestDistance = distance;
            bestFrom = i;
            bestTo = j;
        }
        i = j + 1;
    }
    Profile pr;
    if (bestFrom < 0 || bestDistance > within || bestFrom == 0 || bestTo == 2 * n)
        return pr; // none, too far, or running off the profile (along another line)
    // The middle weighs the run and its soft edges, above the level of
    // the lighter of the two sides: a faint line of a like colour beside it
    // (a grey grid it crosses) does not pull it aside.
    const int first = std::max(0, bestFrom - 2), last = std::min(2 * n, bestTo + 2);
    const double base = std::min(v[first], v[last]) < 0.5 * threshold ? 0.0 : std::min(v[first], v[last]);
    const double side = std::max(v[first], v[last]) < threshold ? std::max(base, std::max(v[first], v[last])) : base;
    double sum = 0, moment = 0;
    for (int i = first; i <= last; ++i) {
        const double weight = std::max(0.0, v[i] - side);
        sum += weight;
        moment += weight * (i - n) * Sample;
        pr.peak = std::max(pr.peak, v[i]);
    }
    pr.found = sum > 0;
    pr.offset = moment / sum;
    // Width at the threshold, the run's ends found between samples.
    auto edge = [&](int inside, int outside) {
        const double a = v[inside], b = v[outside];
        return (inside - n) * Sample + (outside - inside) * Sample * (a - threshold) / std::max(1e-9, a - b);
    };
    pr.width = edge(bestTo, bestTo + 1) - edge(bestFrom, bestFrom - 1);
    return pr;
}

PixelPoint unit(PixelPoint d)
{
    const double l = std::hypot(d.x, d.y);
    return l > 0 ? PixelPoint{d.x / l, d.y / l} : PixelPoint{1, 0};
}

struct Start {
    bool found = false;
    PixelPoint at, direction;
    double width = 0, threshold = 0;
};

// The stroke nearest the click, its direction (the way a segment through
// it gathers most ink), its middle and width.
Start startOf(const Stroke &s, PixelPoint near)
{
    Start st;
    PixelPoint ink;
    double best = 1e9;
    for (int dy = -int(SnapRadius); dy <= int(SnapRadius); ++dy)
        for (int dx = -int(SnapRadius); dx <= int(SnapRadius); ++dx) {
            const double x = std::floor(near.x) + dx + 0.5, y = std::floor(near.y) + dy + 0.5;
            const double d = std::hypot(x - near.x, y - near.y);
            if (d <= SnapRadius && d < best && s.at(x, y) >= 0.5) {
                best = d;
                ink = {x, y};
            }
        }
    if (best > SnapRadius)
        return st;
    // A stroke gathers far more ink along itself than across it, or than in
    // most directions (where another line crosses it): noise and solid
    // areas do not. (A short dash a scan has blurred is only twice as long
    // as it is wide.)
    std::array<double, 60> along{};
    std::size_t strongest = 0;
    double all = 0;
    for (std::size_t i = 0; i < along.size(); ++i) {
        const double a = double(i) * 3 * Pi / 180;
        const PixelPoint u{std::cos(a), std::sin(a)};
        for (int t = -10; t <= 10; ++t)
            along[i] += s.at(ink.x + t * u.x, ink.y + t * u.y);
        all += along[i];
        if (along[i] > along[strongest])
            strongest = i;
    }
    const double most = along[strongest], across = along[(strongest + along.size() / 2) % along.size()];
    if (most < 2 * all / double(along.size()) && most < 2.5 * across)
        return st;
    st.direction = {std::cos(double(strongest) * 3 * Pi / 180), std::sin(double(strongest) * 3 * Pi / 180)};
    const PixelPoint normal{-st.direction.y, st.direction.x};
    const Profile first = profileAt(s, ink, normal, 12, 0.5, 1);
    if (!first.found)
        return st;
    st.threshold = 0.5 * std::max(0.5, first.peak);
    const Profile p = profileAt(s, ink, normal, 12, st.threshold, 1);
    if (!p.found || p.width > 10)
        return st; // a solid area, not a stroke
    st.at = {ink.x + p.offset * normal.x, ink.y + p.offset * normal.y};
    if (!s.covers(st.at))
        return st;
    st.width = std::max(0.8, p.width);
    st.found = true;
    return st;
}

// One way from the start; the start itself is not repeated.
bool follow(const Stroke &s, const Start &st, PixelPoint direction, int width, int height,
            const SearchControl &control, std::vector<PixelPoint> &out)
{
    const double w = st.width;
    const double step = std::clamp(w, 1.0, 2.0);
    const double half = w / 2 + 4;
    const double longestGap = 24 + 4 * w;
    const std::size_t most = std::size_t(8 * (width + height) / step) + 16;
    std::vector<PixelPoint> path{st.at};
    PixelPoint at = st.at, d = direction;
    double gap = 0;
    // After a gap the trace goes on only if the next few points run the
    // way it went before: a stroke met past the curve's end (the frame, a
    // label) at an angle is not the curve. Across a short gap (a mark the
    // line joins, where a polyline turns) it may turn further.
    std::size_t resumed = 0;
    PixelPoint before = d;
    double bridged = 0;
    constexpr std::size_t Confirm = 5;
    double usualPeak = 2 * st.threshold; // the stroke's darkness along its middle, as it goes
    while (path.size() < most) {
        if ((path.size() & 255) == 0 && control.cancel && control.cancel->load(std::memory_order_relaxed))
            return false;
        const PixelPoint p{at.x + step * d.x, at.y + step * d.y};
        if (p.x < 0 || p.y < 0 || p.x >= width || p.y >= height)
            break;
        const PixelPoint normal{-d.y, d.x};
        // After a gap the curve may have bent away a little.
        const double within = std::max(1.5, w / 2 + 1) + 0.15 * gap;
        const Profile pr = profileAt(s, p, normal, half + 0.15 * gap, st.threshold, within);
        // Where another line crosses, the run widens and its middle moves
        // aside: a gap, not the curve.
        // A much fainter run is another line of a like colour (a grey grid
        // beside a JPEG-faded curve) or the stroke's very end.
        if (!pr.found || pr.width > 1.6 * w + 1.5 || pr.width < 0.4 * w - 0.5
            || std::abs(pr.offset) > std::max(1.0, 0.6 * w) + 0.15 * gap || pr.peak < 0.6 * usualPeak) {
            gap += step;
            at = p;
            if (gap > longestGap)
                break;
            continue;
        }
        const PixelPoint centre{p.x + pr.offset * normal.x, p.y + pr.offset * normal.y};
        if (!s.covers(centre))
            break;
        if (gap >= 2 * step) {
            resumed = path.size();
            before = d;
            bridged = gap;
        }
        gap = 0;
        usualPeak += 0.2 * (pr.peak - usualPeak);
        // Back at the start: a closed curve, once round.
        if (path.size() > 8 && std::hypot(centre.x - st.at.x, centre.y - st.at.y) < step)
            break;
        path.push_back(centre);
        at = centre;
        // The direction over the last few points, so one noisy profile does not turn it.
        const PixelPoint &back = path[path.size() > 4 ? path.size() - 5 : 0];
        if (std::hypot(centre.x - back.x, centre.y - back.y) > 0.5 * step)
            d = unit({centre.x - back.x, centre.y - back.y});
        if (resumed && path.size() == resumed + Confirm) {
            const PixelPoint &first = path[resumed];
            const PixelPoint way = unit({centre.x - first.x, centre.y - first.y});
            const double turn = bridged <= 3 * w + 8 ? 60 : 25;
            if (way.x * before.x + way.y * before.y < std::cos(turn * Pi / 180)) {
                // Another line, met in a gap (a dashed curve's gap where a
                // curve crosses it), or past the end: looked past as part
                // of the gap, straight on the way the curve went.
                const PixelPoint wrong = path.back();
                path.resize(resumed);
                const PixelPoint from = path.back();
                const double past = std::max(step, (wrong.x - from.x) * before.x + (wrong.y - from.y) * before.y);
                at = {from.x + past * before.x, from.y + past * before.y};
                d = before;
                gap = bridged + past;
                resumed = 0;
                if (gap > longestGap)
                    break;
                continue;
            }
            resumed = 0;
        }
    }
    // The last profile may straddle the stroke's end, half ink: not a centre.
    if (path.size() > 2)
        path.pop_back();
    out.assign(path.begin() + 1, path.end());
    return true;
}

// Where a crossing line or a grid pulls one or two profiles' middles
// aside, those points leave the curve's smooth course: each point is
// compared with a parabola through its neighbours within a few pixels
// along the path (the suspect ones left out of the fit), and one that
// lies off it is dropped; the path runs straight between its neighbours.
std::vector<PixelPoint> withoutStrays(const std::vector<PixelPoint> &path, double width)
{
    const std::size_t n = path.size();
    if (n < 7)
        return path;
    std::vector<double> along(n, 0.0);
    for (std::size_t i = 1; i < n; ++i)
        along[i] = along[i - 1] + std::hypot(path[i].x - path[i - 1].x, path[i].y - path[i - 1].y);
    const double reach = std::max(8.0, 4 * width);
    // How far point i lies from the parabola through its neighbours not in `skip`; < 0 where too few.
    auto offCourseWithin = [&](std::size_t i, const std::vector<bool> &skip, double reach) {
        std::size_t lo = i, hi = i;
        while (lo > 0 && along[i] - along[lo - 1] <= reach)
            --lo;
        while (hi + 1 < n && along[hi + 1] - along[i] <= reach)
            ++hi;
        const PixelPoint chord = unit({path[hi].x - path[lo].x, path[hi].y - path[lo].y});
        // Sums for y = a + b t + c t^2 in the chord's frame about point i.
        double s[5] = {}, r[3] = {};
        int before = 0, after = 0;
        for (std::size_t j = lo; j <= hi; ++j) {
            if (j == i || skip[j])
                continue;
            const double dx = path[j].x - path[i].x, dy = path[j].y - path[i].y;
            const double t = dx * chord.x + dy * chord.y, y = -dx * chord.y + dy * chord.x;
            double p = 1;
            for (int k = 0; k < 5; ++k, p *= t)
                s[k] += p;
            r[0] += y, r[1] += y * t, r[2] += y * t * t;
            (j < i ? before : after) += 1;
        }
        if (before < 2 || after < 2)
            return -1.0;
        // Cramer's rule on [s0 s1 s2; s1 s2 s3; s2 s3 s4] (a b c) = r: a is the course at t = 0.
        const double det = s[0] * (s[2] * s[4] - s[3] * s[3]) - s[1] * (s[1] * s[4] - s[3] * s[2]) + s[2] * (s[1] * s[3] - s[2] * s[2]);
        if (std::abs(det) < 1e-9)
            return -1.0;
        const double a = (r[0] * (s[2] * s[4] - s[3] * s[3]) - s[1] * (r[1] * s[4] - s[3] * r[2]) + s[2] * (r[1] * s[3] - s[2] * r[2])) / det;
        return std::abs(a);
    };
    // (Twice as far where a dashed curve's gap leaves too few on one side.)
    auto offCourse = [&](std::size_t i, const std::vector<bool> &skip) {
        const double off = offCourseWithin(i, skip, reach);
        return off >= 0 ? off : offCourseWithin(i, skip, 2 * reach);
    };
    std::vector<bool> suspect(n, false), none(n, false);
    for (std::size_t i = 0; i < n; ++i)
        suspect[i] = offCourse(i, none) > 0.3;
    std::vector<PixelPoint> kept;
    kept.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        if (offCourse(i, suspect) <= 0.2)
            kept.push_back(path[i]);
    return kept.size() >= 2 ? kept : path;
}

} // namespace

CurveTrace traceCurve(const PixelBuffer &picture, PixelPoint click, const SearchControl &control)
{
    CurveTrace result;
    if (!picture.data || picture.width <= 0 || picture.height <= 0 || !std::isfinite(click.x) || !std::isfinite(click.y))
        return result;
    const int cx = int(std::clamp(std::floor(click.x), -1e6, 1e6)), cy = int(std::clamp(std::floor(click.y), -1e6, 1e6));
    const PixelRect local = clippedTo({cx - 48, cy - 48, cx + 49, cy + 49}, picture);
    if (local.empty())
        return result;
    const Rgb paper = paperOf(picture, local);
    // The ink: the colour furthest from paper near the click.
    Rgb ink = paper;
    double farthest = 0, nearest = 1e9;
    PixelPoint inkAt;
    for (int y = std::max(0, cy - int(SnapRadius)); y <= std::min(picture.height - 1, cy + int(SnapRadius)); ++y)
        for (int x = std::max(0, cx - int(SnapRadius)); x <= std::min(picture.width - 1, cx + int(SnapRadius)); ++x) {
            const Rgb c = colourAt(picture, x, y);
            const double d = std::sqrt((c.r - paper.r) * (c.r - paper.r) + (c.g - paper.g) * (c.g - paper.g)
                                       + (c.b - paper.b) * (c.b - paper.b));
            const double r = std::hypot(x + 0.5 - click.x, y + 0.5 - click.y);
            if (d > 60 && r < nearest) {
                nearest = r;
                inkAt = {x + 0.5, y + 0.5};
            }
        }
    if (nearest > SnapRadius + 1)
        return result;
    // The darkest pixel of the stroke there, so a soft edge is not taken for its colour.
    for (int y = int(inkAt.y) - 2; y <= int(inkAt.y) + 2; ++y)
        for (int x = int(inkAt.x) - 2; x <= int(inkAt.x) + 2; ++x) {
            if (x < 0 || y < 0 || x >= picture.width || y >= picture.height)
                continue;
            const Rgb c = colourAt(picture, x, y);
            const double d = std::sqrt((c.r - paper.r) * (c.r - paper.r) + (c.g - paper.g) * (c.g - paper.g)
                                       + (c.b - paper.b) * (c.b - paper.b));
            if (d > farthest) {
                farthest = d;
                ink = c;
            }
        }
    const InkMatch match(paper, ink);
    if (!match.usable())
        return result;
    const Stroke stroke(picture, match);
    const Start start = startOf(stroke, inkAt);
    if (!start.found)
        return result;
    std::vector<PixelPoint> forward, backward;
    if (!follow(stroke, start, start.direction, picture.width, picture.height, control, forward)
        || !follow(stroke, start, {-start.direction.x, -start.direction.y}, picture.width, picture.height, control, backward)) {
        result.outcome = CurveTrace::Cancelled;
        return result;
    }
    result.path.assign(backward.rbegin(), backward.rend());
    result.path.push_back(start.at);
    result.path.insert(result.path.end(), forward.begin(), forward.end());
    result.path = withoutStrays(result.path, start.width);
    result.width = start.width;
    result.outcome = CurveTrace::Traced;
    return result;
}

std::vector<PixelPoint> pointsEvery(const std::vector<PixelPoint> &path, double spacing)
{
    std::vector<PixelPoint> points;
    if (path.empty() || !(spacing > 0))
        return points;
    points.push_back(path.front());
    double travelled = 0, next = spacing;
    for (std::size_t i = 1; i < path.size(); ++i) {
        const PixelPoint a = path[i - 1], b = path[i];
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        while (length > 0 && travelled + length >= next) {
            const double f = (next - travelled) / length;
            points.push_back({a.x + f * (b.x - a.x), a.y + f * (b.y - a.y)});
            next += spacing;
        }
        travelled += length;
    }
    // The end, unless the last point is almost there.
    if (travelled - (next - spacing) > 0.25 * spacing)
        points.push_back(path.back());
    return points;
}

std::vector<PixelPoint> pointsAtSteps(const std::vector<PixelPoint> &path, const PathValue &value, double step)
{
    std::vector<PixelPoint> points;
    if (path.size() < 2 || !(step > 0))
        return points;
    std::optional<double> previous = value(path.front());
    for (std::size_t i = 1; i < path.size(); ++i) {
        const std::optional<double> current = value(path[i]);
        if (previous && current && std::isfinite(*previous) && std::isfinite(*current) && *current != *previous) {
            const double lo = std::min(*previous, *current), hi = std::max(*previous, *current);
            // Multiples in [lo, hi), taken in the path's direction; a
            // multiple at a point between two segments is taken once.
            const double first = std::ceil(lo / step), last = std::ceil(hi / step) - 1;
            if (last - first < 1e6) {
                const bool rising = *current > *previous;
                for (double m = rising ? first : last; rising ? m <= last : m >= first; m += rising ? 1 : -1) {
                    const double f = (m * step - *previous) / (*current - *previous);
                    const PixelPoint a = path[i - 1], b = path[i];
                    points.push_back({a.x + f * (b.x - a.x), a.y + f * (b.y - a.y)});
                }
            }
        }
        previous = current;
    }
    return points;
}

} // namespace pontiva

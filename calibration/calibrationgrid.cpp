// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Lines of round data values drawn through a calibration's own map, and what
// half a picture pixel is worth.
#include "calibration/calibrationgrid.h"

#include "calibration/log10.h"

#include <algorithm>
#include <cmath>

namespace pontiva {

namespace {

bool sound(const Transform &t)
{
    return t.inRange && !t.collinear && t.xAxis == AxisStatus::Valid && t.yAxis == AxisStatus::Valid;
}

// Round values in [low, high] of a linear axis, about 5 to 10 of them.
std::vector<double> roundValues(double low, double high)
{
    std::vector<double> values;
    const double span = high - low;
    if (!(span > 0) || !std::isfinite(span))
        return values;
    const double raw = span / 7;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double unit = raw / power;
    const double step = (unit < 1.5 ? 1 : unit < 3.5 ? 2 : unit < 7.5 ? 5 : 10) * power;
    // Whole multiples, so 0 is 0 and not 1e-17.
    for (double k = std::ceil(low / step); k * step <= high && int(values.size()) < MaxGridLines; ++k)
        values.push_back(k * step);
    return values;
}

// On a log axis, exponents of the decades, and of 2 to 9 between them when
// the picture spans few decades.
std::vector<double> logExponents(double low, double high)
{
    std::vector<double> exponents;
    if (!(high > low) || !std::isfinite(high - low))
        return exponents;
    const double decades = high - low;
    const double every = std::max(1.0, std::ceil(decades / 10)); // a huge range: every n-th decade
    for (double e = std::ceil(low / every) * every; e <= high && int(exponents.size()) < MaxGridLines; e += every) {
        exponents.push_back(e);
    }
    if (decades <= 3) {
        for (double e = std::floor(low); e <= high; ++e)
            for (int m = 2; m <= 9; ++m) {
                const double at = e + std::log10(double(m));
                if (at >= low && at <= high && int(exponents.size()) < MaxGridLines)
                    exponents.push_back(at);
            }
    }
    std::sort(exponents.begin(), exponents.end());
    return exponents;
}

} // namespace

std::optional<GridLine> clipLine(const GridLine &line, const LogicalRect &area)
{
    // Liang-Barsky: the parameter range of the segment inside each slab.
    double t0 = 0, t1 = 1;
    const double dx = line.x2 - line.x1, dy = line.y2 - line.y1;
    auto slab = [&](double p, double q) {
        if (p == 0)
            return q >= 0;
        const double r = q / p;
        if (p < 0)
            t0 = std::max(t0, r);
        else
            t1 = std::min(t1, r);
        return t0 <= t1;
    };
    if (!slab(-dx, line.x1 - area.left) || !slab(dx, area.right - line.x1) || !slab(-dy, line.y1 - area.bottom)
        || !slab(dy, area.top - line.y1))
        return std::nullopt;
    GridLine clipped = line;
    clipped.x1 = line.x1 + t0 * dx;
    clipped.y1 = line.y1 + t0 * dy;
    clipped.x2 = line.x1 + t1 * dx;
    clipped.y2 = line.y1 + t1 * dy;
    return clipped;
}

std::vector<GridLine> calibrationGrid(const CalibrationInputs &in, const Transform &t, const LogicalRect &picture)
{
    std::vector<GridLine> lines;
    if (!sound(t))
        return lines;
    // The map in the axes' own terms (log10 of the value on a log axis):
    // u = kXX px + kXY py, v = kYX px + kYY py, from point 0.
    const double a = t.kXX, b = t.kXY, c = t.kYX, d = t.kYY;
    const double det = a * d - b * c;
    if (!(std::abs(det) > 0) || !std::isfinite(det))
        return lines;
    const double originX = in.xLog ? Log10(in.x0) : in.x0;
    const double originY = in.yLog ? Log10(in.y0) : in.y0;
    if (!std::isfinite(originX) || !std::isfinite(originY))
        return lines;
    // The picture's range of each, from its corners.
    const double cornersX[] = {picture.left, picture.right, picture.left, picture.right};
    const double cornersY[] = {picture.bottom, picture.bottom, picture.top, picture.top};
    double lowU = INFINITY, highU = -INFINITY, lowV = INFINITY, highV = -INFINITY;
    for (int i = 0; i < 4; ++i) {
        const double px = cornersX[i] - in.XCanto0, py = cornersY[i] - in.YCanto0;
        const double u = originX + a * px + b * py, v = originY + c * px + d * py;
        lowU = std::min(lowU, u), highU = std::max(highU, u);
        lowV = std::min(lowV, v), highV = std::max(highV, v);
    }
    // Back from (u, v) to the picture: the inverse of the 2 x 2 map.
    auto at = [&](double u, double v) {
        const double du = u - originX, dv = v - originY;
        return std::pair{in.XCanto0 + (d * du - b * dv) / det, in.YCanto0 + (-c * du + a * dv) / det};
    };
    auto add = [&](double value, bool constantX, double axisValue) {
        // Through the whole range of the other axis: long enough to cross the picture.
        const auto [x1, y1] = constantX ? at(axisValue, lowV) : at(lowU, axisValue);
        const auto [x2, y2] = constantX ? at(axisValue, highV) : at(highU, axisValue);
        if (const auto inside = clipLine({value, constantX, x1, y1, x2, y2}, picture))
            lines.push_back(*inside);
    };
    // In the axis's own terms: exponents on a log axis, values on a linear one.
    auto axis = [&add](bool constantX, bool log, double low, double high) {
        for (const double term : log ? logExponents(low, high) : roundValues(low, high))
            add(log ? std::pow(10.0, term) : term, constantX, term);
    };
    axis(true, in.xLog, lowU, highU);
    axis(false, in.yLog, lowV, highV);
    return lines;
}

std::optional<HalfPixelWorth> halfPixelWorth(const CalibrationInputs &in, const Transform &t, double pixelWidth,
                                             double pixelHeight)
{
    if (!sound(t))
        return std::nullopt;
    // The most a reading can move within half a pixel either way.
    const double hx = pixelWidth / 2, hy = pixelHeight / 2;
    const double u = std::abs(double(t.kXX)) * hx + std::abs(double(t.kXY)) * hy;
    const double v = std::abs(double(t.kYX)) * hx + std::abs(double(t.kYY)) * hy;
    HalfPixelWorth worth;
    worth.xRelative = in.xLog;
    worth.yRelative = in.yLog;
    worth.x = in.xLog ? std::pow(10.0, u) - 1 : u;
    worth.y = in.yLog ? std::pow(10.0, v) - 1 : v;
    if (!std::isfinite(worth.x) || !std::isfinite(worth.y))
        return std::nullopt;
    return worth;
}

} // namespace pontiva

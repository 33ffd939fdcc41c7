// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Builds the pixel-to-data transform and applies it to a pointer position.
#include "calibration/transform.h"

#include "calibration/log10.h"

#include <cmath>
#include <initializer_list>

namespace pontiva {

namespace {

// The coefficients are single precision by design: readings must agree with
// the established arithmetic, which evaluates in double and stores to single.
// IEEE conversion turns a double beyond the float range into an infinity,
// which the range checks below then catch.
float toSingle(double value)
{
    return static_cast<float>(value);
}

struct AxisScale {
    AxisStatus status = AxisStatus::Valid;
    double span = 0; // data units (or decades) between the two typed values
};

// Returns the axis span, or why there is none. Equal values keep priority
// because the window reacts to them (it resets the point); the other failures
// only mean there is nothing sound to read.
AxisScale axisScale(double first, double second, bool log)
{
    if (first == second)
        return {AxisStatus::EqualValues, 0};
    if (!std::isfinite(first) || !std::isfinite(second))
        return {AxisStatus::NoSoundValue, 0};
    // Zero is allowed on a log axis and behaves as 1 (Log10(0) is 0); a
    // negative value has no logarithm.
    if (log && (first < 0 || second < 0))
        return {AxisStatus::NoSoundValue, 0};
    double span = 0;
    if (log) {
        const double logSecond = Log10(second); // this order, as the readings were calibrated
        const double logFirst = Log10(first);
        span = logSecond - logFirst;
    } else {
        span = second - first;
    }
    // A zero span (0 and 1 on a log axis) would divide by zero; an infinite one
    // (1e308 and -1e308) would flatten the axis to a single reading.
    if (span == 0 || !std::isfinite(span))
        return {AxisStatus::NoSoundValue, 0};
    return {AxisStatus::Valid, span};
}

// A nonzero scale that single precision rounds to 0 (a span of 1e308, say)
// would pass for collinear points and read point 0 everywhere.
bool underflows(double value, float single)
{
    return value != 0 && single == 0;
}

bool allFinite(std::initializer_list<float> values)
{
    for (const float v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}

// A reading is a finite number or nothing: an overflow of 10^x, or arithmetic
// on an infinite pointer offset, becomes "no value".
std::optional<double> finiteOrNothing(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> mapAxis(double origin, float kAlongX, float kAlongY, float px, float py,
                              bool log)
{
    if (log) {
        // Each product is rounded to single first, like the stored terms the
        // readings were calibrated against.
        const double exponent = Log10(origin) + double(toSingle(double(kAlongX) * double(px)))
            + double(toSingle(double(kAlongY) * double(py)));
        return finiteOrNothing(std::pow(10.0, exponent));
    }
    return finiteOrNothing((origin + double(kAlongX) * double(px)) + double(kAlongY) * double(py));
}

} // namespace

Transform computeTransform(const CalibrationInputs &in)
{
    Transform t;
    float A = 0, B = 0, C = 0, D = 0;
    bool lostScale = false;
    auto scale = [&lostScale](double offset, double span) {
        const double exact = offset / span;
        const float single = toSingle(exact);
        lostScale = lostScale || underflows(exact, single);
        return single;
    };

    const AxisScale xs = axisScale(in.x0, in.x1, in.xLog);
    t.xAxis = xs.status;
    if (xs.status == AxisStatus::Valid) {
        A = scale(double(in.XCanto1) - double(in.XCanto0), xs.span);
        B = scale(double(in.YCanto1) - double(in.YCanto0), xs.span);
    }

    const AxisScale ys = axisScale(in.y0, in.y2, in.yLog);
    t.yAxis = ys.status;
    if (ys.status == AxisStatus::Valid) {
        C = scale(double(in.XCanto2) - double(in.XCanto0), ys.span);
        D = scale(double(in.YCanto2) - double(in.YCanto0), ys.span);
    }

    const double exactDelta = double(A) * double(D) - double(B) * double(C);
    const float delta = toSingle(exactDelta);
    if (!allFinite({A, B, C, D, delta}) || lostScale || underflows(exactDelta, delta)) {
        t.inRange = false;
        return t;
    }
    // A zero determinant: collinear or coincident points (or a failed axis,
    // which reads nothing anyway). Every position would read point 0's typed
    // values, a constant that looks like data.
    if (delta == 0) {
        t.collinear = t.xAxis == AxisStatus::Valid && t.yAxis == AxisStatus::Valid;
        return t;
    }

    const float kXX = toSingle(double(D) / double(delta));
    const float kXY = toSingle(double(-C) / double(delta));
    const float kYX = toSingle(double(-B) / double(delta));
    const float kYY = toSingle(double(A) / double(delta));
    if (!allFinite({kXX, kXY, kYX, kYY})) {
        t.inRange = false;
        return t;
    }
    t.kXX = kXX;
    t.kXY = kXY;
    t.kYX = kYX;
    t.kYY = kYY;
    return t;
}

DataReading mapToData(const Transform &t, float x, float y, float XCanto0, float YCanto0,
                      double x0, double y0, bool xLog, bool yLog)
{
    DataReading r;
    if (!t.inRange || t.collinear)
        return r;
    const float px = x - XCanto0;
    const float py = y - YCanto0;
    // Both axes enter every coefficient: when one has no scale, the other
    // would read its reference value everywhere, a number that is wrong.
    if (t.xAxis != AxisStatus::Valid || t.yAxis != AxisStatus::Valid)
        return r;
    r.x = mapAxis(x0, t.kXX, t.kXY, px, py, xLog);
    r.y = mapAxis(y0, t.kYX, t.kYY, px, py, yLog);
    return r;
}

} // namespace pontiva

// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Pixel-to-data transform of three reference points, on linear or log axes.
#pragma once

#include <optional>

namespace pontiva {

// Everything the transform reads, taken from the window at the moment of the
// pointer move. Positions are logical picture coordinates (0..100, y up).
struct CalibrationInputs {
    double x0 = 0, x1 = 1, y0 = 0, y2 = 1; // parsed Text_X0, Text_X1, Text_Y0, Text_Y2
    bool xLog = false, yLog = false;       // Check_XLog / Check_YLog ticked
    float XCanto0 = 0, YCanto0 = 0;        // clicked point 0
    float XCanto1 = 0, YCanto1 = 0;        // clicked point 1 (on the X axis)
    float XCanto2 = 0, YCanto2 = 0;        // clicked point 2 (on the Y axis)
};

enum class AxisStatus {
    Valid,
    EqualValues,  // the two typed values are equal: the axis fails (the window resets its point)
    NoSoundValue, // e.g. a negative or zero-span log axis, or a span out of range: reads as "no value"
};

struct Transform {
    AxisStatus xAxis = AxisStatus::Valid;
    AxisStatus yAxis = AxisStatus::Valid;
    // Inverse of the picture displacement per data unit (or per decade);
    // all four are 0 when the determinant is 0.
    float kXX = 0, kXY = 0, kYX = 0, kYY = 0;
    // False when a scale, the determinant or a coefficient left the float
    // range: then no reading is sound on either axis.
    bool inRange = true;
    // Both axes have a scale but the clicked points lie on one line (or
    // coincide): the frame spans no area, so no position has a reading.
    bool collinear = false;
};

Transform computeTransform(const CalibrationInputs &in);

// Maps a picture position to data values. x0, y0 and the two axis types are
// passed anew because the window re-reads them at this moment. An empty
// optional is "no value": never a NaN or an infinity.
struct DataReading {
    std::optional<double> x;
    std::optional<double> y;
};

DataReading mapToData(const Transform &t, float x, float y, float XCanto0, float YCanto0,
                      double x0, double y0, bool xLog, bool yLog);

} // namespace pontiva

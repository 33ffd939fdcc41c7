// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Lines of round data values drawn through a calibration's own map, and what
// half a picture pixel is worth: both show whether a calibration is right.
#pragma once

#include "calibration/transform.h"

#include <optional>
#include <vector>

namespace pontiva {

// A rectangle in logical picture coordinates (y up).
struct LogicalRect {
    double left = 0, bottom = 0, right = 100, top = 100;
};

// One line of constant X (`constantX`) or constant Y, clipped to the picture.
struct GridLine {
    double value = 0;
    bool constantX = true;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0; // logical coordinates
};

// Round values (1, 2 or 5 times a power of ten, about 5 to 10 lines across
// the picture; on a log axis the decades, and 2 to 9 between them when
// there are few) mapped back onto `picture`. Nothing where the calibration
// gives no sound value, and never more than `MaxGridLines` lines an axis.
inline constexpr int MaxGridLines = 60;
std::vector<GridLine> calibrationGrid(const CalibrationInputs &in, const Transform &t,
                                      const LogicalRect &picture = {});

// The part of a line inside `area`, from its first end to its last; nothing
// when it misses it. Where to write a line's value: at the returned start.
std::optional<GridLine> clipLine(const GridLine &line, const LogicalRect &area);

// What half a picture pixel is worth in data units at the pointer: for a
// linear axis a ± amount, for a log axis a relative one (0.01 is ±1 %).
struct HalfPixelWorth {
    double x = 0, y = 0;
    bool xRelative = false, yRelative = false;
};
// `pixelWidth` and `pixelHeight`: one picture pixel in logical units.
std::optional<HalfPixelWorth> halfPixelWorth(const CalibrationInputs &in, const Transform &t, double pixelWidth,
                                             double pixelHeight);

} // namespace pontiva

// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Following one curve from a click, and the points to read along it.
#pragma once

#include "extraction/similarmarks.h"
#include "snapping/pixelbuffer.h"

#include <functional>
#include <optional>
#include <vector>

namespace pontiva {

struct CurveTrace {
    enum Outcome { Traced, NoCurve, Cancelled } outcome = NoCurve;
    // The centre line, from one end to the other, about a step apart; a gap
    // the trace bridged (a dash, a crossing) is one longer step.
    std::vector<PixelPoint> path;
    double width = 0; // of the stroke, px
};

// The stroke nearest the click (within SnapRadius), followed both ways by
// its colour and thickness: on through crossings with other lines (its
// direction kept), over the gaps of a dashed or dotted line and short gaps
// in a scan, until it ends or leaves the picture. Each point of the path is
// the middle of a profile taken across the stroke.
CurveTrace traceCurve(const PixelBuffer &picture, PixelPoint click, const SearchControl &control = {});

// Points on a path: its start, then one every `spacing` along it, and its end.
std::vector<PixelPoint> pointsEvery(const std::vector<PixelPoint> &path, double spacing);

// Where a value read along the path (data X, or its logarithm) passes a
// multiple of `step`, in path order; where it has no value nothing is taken.
using PathValue = std::function<std::optional<double>(PixelPoint)>;
std::vector<PixelPoint> pointsAtSteps(const std::vector<PixelPoint> &path, const PathValue &value, double step);

} // namespace pontiva

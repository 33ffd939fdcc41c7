// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Where two straight lines cross or meet near a position: grid lines, axes, ticks.
#pragma once

#include "snapping/pixelbuffer.h"

#include <optional>

namespace pontiva {

// The crossing near `at` (within SnapRadius) of two straight strokes, 1 to
// about 6 px thick, that cross or meet at a corner or a T there, at 20
// degrees or more; a longer pair is preferred to a nearer stub. Each stroke
// is found by votes from the middles of its ink and fitted from profiles
// across it, away from the other and from ticks and labels touching it, and
// taken only where those profiles show one straight stroke of even width
// whose ink runs up to the crossing. Where no two strokes qualify, the
// centre of a filled mark (as snapToMark); else nothing.
std::optional<PixelPoint> snapToCrossing(const PixelBuffer &picture, PixelPoint at);

} // namespace pontiva

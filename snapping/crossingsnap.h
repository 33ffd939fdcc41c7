// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Where two straight lines cross or meet near a position: grid lines, axes, ticks.
#pragma once

#include "snapping/pixelbuffer.h"

#include <optional>

namespace pontiva {

// The crossing nearest `at` (within SnapRadius) of two straight lines that
// cross or meet at a corner there, at any angle of 20 degrees or more
// between them; each line is fitted to a tenth of a pixel from its
// anti-aliased ink, away from the other line. Where no two lines cross, the
// centre of a filled dot (as snapToMark); else nothing.
std::optional<PixelPoint> snapToCrossing(const PixelBuffer &picture, PixelPoint at);

} // namespace pontiva

// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The centre of a filled mark (a disc, a square, any solid marker) near a position.
#pragma once

#include "snapping/pixelbuffer.h"

#include <optional>

namespace pontiva {

// The centre of the filled mark under `at`, or else the nearest one whose
// centre lies within SnapRadius; nothing where there is no such mark. A line
// or curve running through the mark does not pull the centre: the mark is
// found by its largest inscribed disc, then its centre refined to a tenth of
// a pixel from the anti-aliased edge all round. Thin lines alone, solid
// areas, blank paper and noise give nothing.
std::optional<PixelPoint> snapToMark(const PixelBuffer &picture, PixelPoint at);

} // namespace pontiva

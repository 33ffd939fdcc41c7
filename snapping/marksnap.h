// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The centre of a filled mark (a disc, a square, any solid marker) near a position.
#pragma once

#include "snapping/pixelbuffer.h"

#include <optional>

namespace pontiva {

// The centre of the mark under `at`, or else the nearest one whose outline
// lies within SnapRadius; nothing where there is no such mark. Filled marks
// (3 to about 70 px) are found where the distance to paper peaks, hollow ones
// by the paper their outline encloses; the centre is the centroid of the
// outline traced along rays, where a line, bar or overlapping mark running
// on from it is bridged by the mark's symmetry. Taken only when most of the
// outline is seen, the centre settles and paper lies round it: thin lines
// alone, solid areas, blank paper and noise give nothing.
enum class MarkKinds {
    Any,
    // Filled marks near the pointer, up to about 16 px: what a reference
    // point may be placed on (the eye of a label's letter is not).
    SmallFilled,
};
std::optional<PixelPoint> snapToMark(const PixelBuffer &picture, PixelPoint at, MarkKinds kinds = MarkKinds::Any);

} // namespace pontiva

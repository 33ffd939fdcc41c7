// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Every mark like the one under the pointer: its shape, size and colour.
#pragma once

#include "extraction/inkcolour.h"
#include "snapping/pixelbuffer.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <vector>

namespace pontiva {

struct MarkSearch {
    enum Outcome {
        Found,
        NoExample, // no mark snapping trusts under the pointer
        Capped,    // stopped at the cap: the picture is full of such specks
        Cancelled,
    } outcome = NoExample;
    PixelPoint example;              // the example's centre
    std::vector<PixelPoint> centres; // each mark once, top to bottom
};

struct SearchControl {
    const std::atomic<bool> *cancel = nullptr; // checked often; set from another thread
    std::size_t cap = 5000;
};

// The marks in `region` that have the example's colour (as against the
// paper), its size and the outline it shows along rays from its centre,
// each at its centre as snapping finds it. A line, an error bar or another
// mark touching one hides some of its outline and is allowed for; a mark
// that is smaller along some ray, or larger all round, is not alike.
MarkSearch findSimilarMarks(const PixelBuffer &picture, PixelPoint click, const PixelRect &region,
                            const SearchControl &control = {});

// Where a search looks by default: round the parallelogram of the three
// reference points, grown by a tenth of its size each side, in the picture.
PixelRect searchRegionOf(const std::array<PixelPoint, 3> &references, int width, int height);

} // namespace pontiva

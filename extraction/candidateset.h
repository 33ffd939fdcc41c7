// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Points found for the user to look over before any is recorded.
#pragma once

#include "snapping/pixelbuffer.h"

#include <cstddef>
#include <vector>

namespace pontiva {

// Candidates are kept until the user drops one; a dropped one stays shown
// (so a second click takes it back) but is not recorded.
class CandidateSet
{
public:
    struct Candidate {
        PixelPoint at;
        bool kept = true;
    };
    enum class Source { None, Marks, Curve };

    void show(Source source, std::vector<PixelPoint> points, std::vector<PixelPoint> path = {});
    void clear() { *this = CandidateSet(); }
    bool active() const { return From != Source::None; }
    Source source() const { return From; }

    // The candidate within `radius` nearest `p`, dropped or taken back: its
    // index, or -1 where none is that near.
    int toggleNear(PixelPoint p, double radius);
    // A point the search missed; false where a candidate already lies within `radius`.
    bool add(PixelPoint p, double radius);

    const std::vector<Candidate> &candidates() const { return All; }
    const std::vector<PixelPoint> &path() const { return Path; }
    std::vector<PixelPoint> kept() const;
    std::size_t keptCount() const;

private:
    int nearest(PixelPoint p, double radius) const;
    Source From = Source::None;
    std::vector<Candidate> All;
    std::vector<PixelPoint> Path; // a traced curve's centre line, to show
};

} // namespace pontiva

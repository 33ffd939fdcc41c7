// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Points found for the user to look over before any is recorded.
#include "extraction/candidateset.h"

#include <cmath>

namespace pontiva {

void CandidateSet::show(Source source, std::vector<PixelPoint> points, std::vector<PixelPoint> path)
{
    From = source;
    All.clear();
    for (const PixelPoint p : points)
        All.push_back({p, true});
    Path = std::move(path);
}

int CandidateSet::nearest(PixelPoint p, double radius) const
{
    int found = -1;
    double best = radius;
    for (std::size_t i = 0; i < All.size(); ++i) {
        const double d = std::hypot(All[i].at.x - p.x, All[i].at.y - p.y);
        if (d <= best) {
            best = d;
            found = int(i);
        }
    }
    return found;
}

int CandidateSet::toggleNear(PixelPoint p, double radius)
{
    const int i = nearest(p, radius);
    if (i >= 0)
        All[std::size_t(i)].kept = !All[std::size_t(i)].kept;
    return i;
}

bool CandidateSet::add(PixelPoint p, double radius)
{
    if (nearest(p, radius) >= 0)
        return false;
    All.push_back({p, true});
    return true;
}

std::vector<PixelPoint> CandidateSet::kept() const
{
    std::vector<PixelPoint> k;
    for (const Candidate &c : All)
        if (c.kept)
            k.push_back(c.at);
    return k;
}

std::size_t CandidateSet::keptCount() const
{
    std::size_t n = 0;
    for (const Candidate &c : All)
        n += c.kept;
    return n;
}

} // namespace pontiva

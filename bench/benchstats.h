// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Median, 99th percentile and maximum of a series of timings.
#pragma once

#include <algorithm>
#include <vector>

namespace bench {

struct Stats {
    double median, p99, max;
};

inline Stats summarise(std::vector<double> us)
{
    std::sort(us.begin(), us.end());
    auto at = [&](double q) { return us[std::min(us.size() - 1, std::size_t(q * double(us.size() - 1) + 0.5))]; };
    return {at(0.5), at(0.99), us.back()};
}

} // namespace bench

// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A log axis needs positive reference values.
#pragma once

#include <string_view>

namespace pontiva {

// True when the box is ticked (value exactly 1) and either field, parsed as a
// typed number, is 0 or less. Both fields are parsed every time.
bool breaksPositiveRule(int boxValue, std::string_view first, std::string_view second);

struct PositiveRuleVerdict {
    bool xBreaks = false;
    bool yBreaks = false;
};

PositiveRuleVerdict checkPositiveRule(int xBox, int yBox, std::string_view textX0,
                                      std::string_view textX1, std::string_view textY0,
                                      std::string_view textY2);

} // namespace pontiva

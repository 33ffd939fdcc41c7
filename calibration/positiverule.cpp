// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Checks that a ticked log axis has positive reference values.
#include "calibration/positiverule.h"

#include "calibration/numberparsing.h"

namespace pontiva {

bool breaksPositiveRule(int boxValue, std::string_view first, std::string_view second)
{
    const double a = parseNumber(first);
    const double b = parseNumber(second);
    return boxValue == 1 && (a <= 0 || b <= 0);
}

} // namespace pontiva

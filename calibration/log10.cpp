// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The base-10 logarithm used by log axes.
#include "calibration/log10.h"

#include <cmath>

namespace pontiva {

double Log10(double value)
{
    if (value == 0)
        return 0;
    // Deliberately ln/ln rather than std::log10: readings must match the
    // established arithmetic to the last digit shown.
    return std::log(value) / std::log(10.0);
}

} // namespace pontiva

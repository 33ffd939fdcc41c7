// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The readout's number text, "#.0000E+00" with the regional decimal separator.
#pragma once

#include <string>

namespace pontiva {

// One mantissa digit, four decimals, "E", an explicit exponent sign and at
// least two exponent digits; "-" before negatives. Exactly 0 gives
// "0<sep>0000E+00". The value must be finite (callers format "no value"
// themselves).
std::string formatReading(double value, char decimalSeparator);

} // namespace pontiva

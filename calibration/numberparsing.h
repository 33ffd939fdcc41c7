// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a typed reference value: the leading number of any text.
#pragma once

#include <string_view>

namespace pontiva {

// Blanks, tabs and line feeds are skipped wherever they stand; then an
// optional sign, digits with "." as the decimal point (whatever the locale)
// and an optional exponent ("E" or "e", optional sign, digits). Reading stops
// at the first character that cannot continue the number; no leading number
// gives 0. A value beyond the double range comes back as +/-infinity so that
// callers can refuse it rather than read a wrong finite number; one too
// small for a double reads as 0. The result is never NaN or negative zero.
double parseNumber(std::string_view text);

// True when parseNumber reads the whole text (blanks aside): "1.5", " -2 E3".
// False when something is left over or nothing is a number: "1,5" (read as
// 1), "\u22125" with a Unicode minus (read as 0), "1e", "", "-".
bool readsWhole(std::string_view text);

} // namespace pontiva

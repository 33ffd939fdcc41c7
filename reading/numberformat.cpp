// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Formats a data reading as "#.0000E+00", fast enough for every pointer move.
#include "reading/numberformat.h"

#include <charconv>
#include <cmath>

namespace pontiva {

std::string formatReading(double value, char decimalSeparator)
{
    // Not a reading: callers show "no value" themselves. An empty text is
    // safer than a plausible-looking wrong number.
    if (!std::isfinite(value))
        return {};
    // Negative zero would otherwise print as "-0.0000E+00".
    if (value == 0)
        value = 0;

    // to_chars is locale-free and correctly rounded from the binary value (an
    // exact tie, possible only for values exact in binary, goes to even), so
    // a carry (9.99995 -> 1.0000e+01) already lands in the exponent. Its
    // exponent has the explicit sign and at least two digits we want; only the
    // letter and the separator differ. "-d.dddde-ddd" is 12 characters.
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 4);
    std::string text(buf, res.ptr);
    for (char &c : text) {
        if (c == '.')
            c = decimalSeparator;
        else if (c == 'e')
            c = 'E';
    }
    return text;
}

} // namespace pontiva

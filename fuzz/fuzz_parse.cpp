// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer harness: parseNumber on arbitrary bytes, checked against strtod.
#include "calibration/numberparsing.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using pontiva::parseNumber;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const double v = parseNumber(text);
    // The parser never invents a NaN, and never a negative zero.
    if (std::isnan(v) || (v == 0 && std::signbit(v)))
        std::abort();

    // Blanks are ignored wherever they are, so appending some changes nothing.
    std::string padded(text);
    padded += " \t\r\n";
    if (parseNumber(padded) != v)
        std::abort();

    // Once blanks are gone, a text made only of digits, signs, points and
    // exponent letters stops exactly where strtod stops (the harness runs in
    // the C locale), so strtod is a correctly rounded oracle for it.
    std::string bare;
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r')
            continue;
        if (!((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E'))
            return 0;
        bare += c;
    }
    const double expected = std::strtod(bare.c_str(), nullptr);
    if (v != expected) // -0 from strtod equals our 0
        std::abort();
    return 0;
}

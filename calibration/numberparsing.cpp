// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the leading number of a typed reference value, locale-free.
#include "calibration/numberparsing.h"

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace pontiva {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Walks the text one character at a time, stepping over blanks wherever they
// are, so that "1 2" reads like "12".
class Cursor {
public:
    explicit Cursor(std::string_view text) : m_text(text) { skipBlanks(); }

    bool atEnd() const { return m_pos >= m_text.size(); }
    char peek() const { return atEnd() ? '\0' : m_text[m_pos]; }
    void advance()
    {
        ++m_pos;
        skipBlanks();
    }

private:
    void skipBlanks()
    {
        while (m_pos < m_text.size() && isBlank(m_text[m_pos]))
            ++m_pos;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

// Correct rounding of a double never needs more than 767 significant digits;
// past that, only "was anything non-zero cut off" matters, which one extra
// sticky digit records. This keeps the work buffer on the stack whatever the
// length of the text.
constexpr std::size_t kKeptDigits = 780;

// Decimal exponents (of the form 0.ddd x 10^e) beyond these cannot be a finite,
// non-zero double; they are decided without asking from_chars.
constexpr std::int64_t kOverflowExponent = 310;
constexpr std::int64_t kUnderflowExponent = -330;

// Saturation point for the typed exponent: far beyond any of the limits above
// even after adding the digit count, and far below int64 overflow.
constexpr std::int64_t kExponentCap = std::int64_t{1} << 40;

} // namespace

double parseNumber(std::string_view text)
{
    Cursor cur(text);

    bool negative = false;
    if (cur.peek() == '+' || cur.peek() == '-') {
        negative = cur.peek() == '-';
        cur.advance();
    }

    std::array<char, kKeptDigits + 1 + 32> buf; // only the written prefix is read
    std::size_t kept = 0;
    bool sticky = false;          // a non-zero digit was dropped beyond kKeptDigits
    bool sawDigit = false;
    std::int64_t pointShift = 0;  // value = 0.<kept digits> x 10^pointShift, before the exponent

    auto takeDigit = [&](char c) {
        sawDigit = true;
        if (kept == 0 && c == '0')
            return false; // a leading zero: not significant
        if (kept < kKeptDigits)
            buf[kept++] = c;
        else if (c != '0')
            sticky = true;
        return true;
    };

    while (isDigit(cur.peek())) {
        if (takeDigit(cur.peek()))
            ++pointShift;
        cur.advance();
    }
    if (cur.peek() == '.') {
        cur.advance();
        while (isDigit(cur.peek())) {
            const bool significant = takeDigit(cur.peek());
            if (!significant)
                --pointShift; // 0.001: each zero before the first digit moves the point
            cur.advance();
        }
    }
    if (!sawDigit)
        return 0.0; // "", "-", ".", "e5", "abc": no leading number

    // The exponent only counts when at least one digit follows "e" and its
    // sign; "1e" and "1e+" read as 1. The cursor copy leaves the main one
    // alone so a failed exponent consumes nothing.
    std::int64_t exponent = 0;
    if (cur.peek() == 'e' || cur.peek() == 'E') {
        Cursor exp = cur;
        exp.advance();
        bool expNegative = false;
        if (exp.peek() == '+' || exp.peek() == '-') {
            expNegative = exp.peek() == '-';
            exp.advance();
        }
        while (isDigit(exp.peek())) {
            if (exponent < kExponentCap)
                exponent = exponent * 10 + (exp.peek() - '0');
            exp.advance();
        }
        if (expNegative)
            exponent = -exponent;
    }

    if (kept == 0)
        return 0.0; // all zeros, whatever the exponent; "-0" reads as plain 0

    const std::int64_t decimalExponent = pointShift + exponent;
    constexpr double inf = std::numeric_limits<double>::infinity();
    if (decimalExponent > kOverflowExponent)
        return negative ? -inf : inf;
    // Underflow reads as 0: a reference value that small is indistinguishable
    // from zero for the transform anyway.
    if (decimalExponent < kUnderflowExponent)
        return 0.0;

    // Hand from_chars a canonical "ddd[1]e<n>" so it does the correctly rounded
    // conversion; it never sees a sign, a blank or a locale.
    if (sticky)
        buf[kept++] = '1';
    std::size_t len = kept;
    buf[len++] = 'e';
    const std::int64_t scaled = decimalExponent - static_cast<std::int64_t>(kept);
    const auto expEnd = std::to_chars(buf.data() + len, buf.data() + buf.size(), scaled);
    len = static_cast<std::size_t>(expEnd.ptr - buf.data());

    double value = 0.0;
    const auto result = std::from_chars(buf.data(), buf.data() + len, value);
    if (result.ec == std::errc::result_out_of_range)
        value = decimalExponent > 0 ? inf : 0.0;
    if (value == 0.0)
        return 0.0; // underflow: no negative zero either
    return negative ? -value : value;
}

bool readsWhole(std::string_view text)
{
    Cursor cur(text);
    if (cur.peek() == '+' || cur.peek() == '-')
        cur.advance();
    bool sawDigit = false;
    while (isDigit(cur.peek())) {
        sawDigit = true;
        cur.advance();
    }
    if (cur.peek() == '.') {
        cur.advance();
        while (isDigit(cur.peek())) {
            sawDigit = true;
            cur.advance();
        }
    }
    if (!sawDigit)
        return false;
    if (cur.peek() == 'e' || cur.peek() == 'E') {
        cur.advance();
        if (cur.peek() == '+' || cur.peek() == '-')
            cur.advance();
        if (!isDigit(cur.peek()))
            return false; // "1e", "1e+": the exponent is not read
        while (isDigit(cur.peek()))
            cur.advance();
    }
    return cur.atEnd();
}

} // namespace pontiva

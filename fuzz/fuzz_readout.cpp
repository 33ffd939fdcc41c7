// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer harness: typed texts and clicks through to the readout text.
#include "calibration/numberparsing.h"
#include "calibration/positiverule.h"
#include "calibration/transform.h"
#include "reading/numberformat.h"
#include "reading/readingengine.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <regex>
#include <string>
#include <string_view>

using namespace pontiva;

namespace {

// Input layout: one flag byte, the eight coordinates of the three clicked
// points and the pointer, then the four field texts separated by '\x01'.
// Coordinates are single bytes on the 0..100 picture (easy for the fuzzer to
// make sensible frames) or, with flag 8, raw floats (NaN, huge, denormal).
struct Reader {
    const std::uint8_t *data;
    std::size_t size;

    bool take(void *out, std::size_t n)
    {
        if (size < n)
            return false;
        std::memcpy(out, data, n);
        data += n;
        size -= n;
        return true;
    }
};

void checkText(const std::optional<double> &v, char sep)
{
    if (!v)
        return;
    if (!std::isfinite(*v))
        std::abort();
    static const std::regex shape("^-?[0-9][.,][0-9]{4}E[+-][0-9]{2,3}$");
    const std::string text = formatReading(*v, sep);
    if (!std::regex_match(text, shape))
        std::abort();
    // A zero mantissa only for zero itself, never "10.0000" after a carry.
    if ((*v == 0) != (text[text[0] == '-' ? 1 : 0] == '0'))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Reader in{data, size};
    std::uint8_t flags = 0;
    float f[8];
    if (!in.take(&flags, 1))
        return 0;
    if (flags & 8) {
        if (!in.take(f, sizeof f))
            return 0;
    } else {
        std::uint8_t b[8];
        if (!in.take(b, sizeof b))
            return 0;
        for (int i = 0; i < 8; ++i)
            f[i] = float(b[i]) * (100.0f / 255.0f);
    }

    std::string_view rest(reinterpret_cast<const char *>(in.data), in.size);
    std::string_view fields[4];
    for (int i = 0; i < 4; ++i) {
        const std::size_t cut = rest.find('\x01');
        fields[i] = rest.substr(0, cut);
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    }

    const ReferenceInputs fieldsIn{std::string(fields[0]), std::string(fields[1]), std::string(fields[2]),
                                   std::string(fields[3]), bool(flags & 1), bool(flags & 2)};
    (void)breaksPositiveRule(fieldsIn.xLog, fields[0], fields[1]);
    (void)breaksPositiveRule(fieldsIn.yLog, fields[2], fields[3]);
    (void)readsWhole(fields[0]);

    ReadingEngine engine;
    engine.place(0, f[0], f[1]);
    engine.place(1, f[2], f[3]);
    engine.place(2, f[4], f[5]);
    const PositionReading read = readPosition(fieldsIn, engine.calibration(), f[6], f[7]);
    const Transform &t = read.transform;
    const float k[] = {t.kXX, t.kXY, t.kYX, t.kYY};
    for (const float v : k)
        if (!std::isfinite(v) || (!t.inRange && v != 0))
            std::abort();

    const DataReading &r = read.data;
    if ((r.x && t.xAxis != AxisStatus::Valid) || (r.y && t.yAxis != AxisStatus::Valid))
        std::abort();
    // Points on one line must never read point 0's values as data.
    if (t.collinear && (r.x || r.y))
        std::abort();
    const char sep = flags & 4 ? ',' : '.';
    checkText(r.x, sep);
    checkText(r.y, sep);
    // The engine's readout in reading mode says the same as the pipeline.
    const MoveOutcome m = engine.move(fieldsIn, f[6], f[7], true, sep);
    if (m.readoutShown && (bool(m.x) != bool(r.x) || bool(m.y) != bool(r.y)))
        std::abort();
    return 0;
}

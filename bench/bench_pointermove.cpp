// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Core work of one pointer move: parse, transform, map and format two readings.
#include "calibration/numberparsing.h"
#include "calibration/transform.h"
#include "reading/numberformat.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace pontiva;

namespace {

struct Fields {
    std::string x0, x1, y0, y2;
    bool xLog, yLog;
};

// The window re-reads everything on each move, so the benchmark does too.
void pointerMove(benchmark::State &state, const Fields &f)
{
    float x = 50, y = 30;
    for (auto _ : state) {
        CalibrationInputs in;
        in.x0 = parseNumber(f.x0);
        in.x1 = parseNumber(f.x1);
        in.y0 = parseNumber(f.y0);
        in.y2 = parseNumber(f.y2);
        in.xLog = f.xLog;
        in.yLog = f.yLog;
        in.XCanto0 = 10;
        in.YCanto0 = 10;
        in.XCanto1 = 90;
        in.YCanto1 = 12;
        in.XCanto2 = 11;
        in.YCanto2 = 90;
        benchmark::DoNotOptimize(in);
        const Transform t = computeTransform(in);
        const DataReading r =
            mapToData(t, x, y, in.XCanto0, in.YCanto0, in.x0, in.y0, in.xLog, in.yLog);
        std::string tx = r.x ? formatReading(*r.x, '.') : std::string();
        std::string ty = r.y ? formatReading(*r.y, ',') : std::string();
        benchmark::DoNotOptimize(tx);
        benchmark::DoNotOptimize(ty);
        // Vary the position so no reading repeats from one iteration to the next.
        x = x < 90 ? x + 0.37f : 10;
        y = y < 90 ? y + 0.23f : 10;
    }
}

void BM_PointerMoveLinear(benchmark::State &state)
{
    pointerMove(state, {"-12.5", "3.75e2", "0", "1 250", false, false});
}

void BM_PointerMoveBothLog(benchmark::State &state)
{
    pointerMove(state, {"1", "1000", "0.1", "1e2", true, true});
}

} // namespace

BENCHMARK(BM_PointerMoveLinear);
BENCHMARK(BM_PointerMoveBothLog);

BENCHMARK_MAIN();

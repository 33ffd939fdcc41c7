// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Core work of one pointer move: the reading engine parses, transforms, maps and formats two readings.
#include "reading/readingengine.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace pontiva;

namespace {

// The window re-reads everything on each move, so the benchmark does too.
void pointerMove(benchmark::State &state, const ReferenceInputs &fields)
{
    ReadingEngine engine;
    engine.place(0, 10, 10);
    engine.place(1, 90, 12);
    engine.place(2, 11, 90);
    float x = 50, y = 30;
    for (auto _ : state) {
        MoveOutcome m = engine.move(fields, x, y, true, '.');
        benchmark::DoNotOptimize(m);
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

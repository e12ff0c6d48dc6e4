// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "triple.h"

#include <benchmark/benchmark.h>

// Every triple that the window can show, one after another.
static void BM_ComputeTripleAll(benchmark::State& state)
{
    for (auto _ : state) {
        for (std::int32_t a = 3; a <= TripleLimit; ++a) {
            benchmark::DoNotOptimize(ComputeTriple(a));
        }
    }
    state.SetItemsProcessed(state.iterations() * (TripleLimit - 2));
}
BENCHMARK(BM_ComputeTripleAll);

// One Next step: the increment and both sides for the new a.
static void BM_AdvanceTriple(benchmark::State& state)
{
    TripleState triple;
    ResetTriple(triple);
    for (auto _ : state) {
        if (AdvanceTriple(triple)) {
            ResetTriple(triple);
        }
        benchmark::DoNotOptimize(triple);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AdvanceTriple);

BENCHMARK_MAIN();

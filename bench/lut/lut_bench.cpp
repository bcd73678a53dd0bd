// The six look-up tables of one tone model (GetSpectrineLUT and GetSpectrineBackLUT) against the
// floor: a plain pow() loop over the same 1536 entries with the same exponents. Prints the time
// per table and the ratio at the end.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "ratio_reporter.h"
#include "vltutil.h"

namespace {

// A calibrated CRT: every channel different, so nothing is shared between channels.
constexpr double kTarget[3] = {2.2, 2.2, 2.2};
constexpr double kDisplay[3] = {2.5, 2.35, 2.4};
constexpr double kOffset[3] = {0.03, 0.02, 0.025};
constexpr double kGain[3] = {1.0, 0.97, 0.95};

WORD tables[6][256];

void SixTables(benchmark::State& state) {
    for (auto _ : state) {
        GetSpectrineLUT(tables[0], tables[1], tables[2], kTarget[0], kTarget[1], kTarget[2], kDisplay[0],
                        kDisplay[1], kDisplay[2], kOffset[0], kOffset[1], kOffset[2], kGain[0], kGain[1],
                        kGain[2]);
        GetSpectrineBackLUT(tables[3], tables[4], tables[5], kTarget[0], kTarget[1], kTarget[2], kDisplay[0],
                            kDisplay[1], kDisplay[2], kOffset[0], kOffset[1], kOffset[2], kGain[0], kGain[1],
                            kGain[2]);
        benchmark::DoNotOptimize(tables);
        benchmark::ClobberMemory();
    }
}

void PlainPowLoop(benchmark::State& state) {
    double exponents[6];
    for (int c = 0; c < 3; ++c) {
        exponents[c] = kTarget[c] / kDisplay[c];
        exponents[3 + c] = kDisplay[c] / kTarget[c];
    }
    benchmark::DoNotOptimize(exponents);
    for (auto _ : state) {
        for (int t = 0; t < 6; ++t)
            for (int i = 0; i < 256; ++i)
                tables[t][i] = static_cast<WORD>(static_cast<int>(std::pow(i / 255.0, exponents[t]) * 255.0 + 0.5) * 256);
        benchmark::DoNotOptimize(tables);
        benchmark::ClobberMemory();
    }
}

BENCHMARK(SixTables)->MinTime(1.0);
BENCHMARK(PlainPowLoop)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    spx::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double ours = reporter.ns("SixTables/min_time:1.000");
    const double floor = reporter.ns("PlainPowLoop/min_time:1.000");
    if (ours > 0 && floor > 0)
        std::printf("\nlook-up tables %8.0f ns per table vs pow() loop %8.0f ns per table: ratio %.2f\n",
                    ours / 6, floor / 6, ours / floor);
    return 0;
}

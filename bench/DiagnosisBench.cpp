// The spectrum of one 512-sample block: the table-driven transform against the textbook sum.
#include "core/diagnosis/Dft.h"
#include "sim/SignalSource.h"

#include <benchmark/benchmark.h>

namespace {

std::vector<double> FdxBlock() {
    SignalSource source(1);
    const auto bytes = source.FdxBlock();
    return {bytes.begin(), bytes.end()};
}

void BM_DftCompute(benchmark::State& state) {
    const auto x = FdxBlock();
    CDft dft;
    dft.Compute(x.data(), 512);  // tables built once per size
    for (auto _ : state) {
        dft.Compute(x.data(), 512);
        benchmark::DoNotOptimize(dft.Magnitudes().data());
    }
}
BENCHMARK(BM_DftCompute)->Unit(benchmark::kMicrosecond);

void BM_DftDirect(benchmark::State& state) {
    const auto x = FdxBlock();
    for (auto _ : state) {
        auto m = CDft::ComputeDirect(x.data(), 512);
        benchmark::DoNotOptimize(m.data());
    }
}
BENCHMARK(BM_DftDirect)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

#include "ripple/RippleField.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

constexpr std::uint32_t kNow = 5000000;
constexpr std::uint32_t kDropAgeMs = 14000; // a front of 176 cells: every ring covers the grid

// One frame with ten live drops clustered round the centre, old enough that every ring already
// reaches every cell, so each of the W*H*10 evaluations pays for its cosine and divisions: the
// heaviest frame the program can be asked for at that size.
void BM_SynthesizeFieldTenDrops(benchmark::State& state) {
    const int grid = static_cast<int>(state.range(0));
    const int stride = (grid * 2 + 3) & ~3;
    std::vector<unsigned char> bits(static_cast<std::size_t>(stride) * grid);
    std::array<RippleDrop, kMaxDrops> drops{};
    for (int k = 0; k < kMaxDrops; ++k) {
        const double offset = (k - kMaxDrops / 2) * grid * 0.02;
        drops[static_cast<std::size_t>(k)] =
            RippleDrop{1, grid / 2 + offset, grid / 2 - offset, kNow - kDropAgeMs + 50 * k};
    }
    const FieldOptions options{.spectrum = true, .addColor = true};
    for (auto _ : state) {
        SynthesizeField(grid, grid, options, kNow, drops, bits.data(), stride, grid);
        benchmark::DoNotOptimize(bits.data());
        benchmark::ClobberMemory();
    }
    state.counters["cells"] = benchmark::Counter(static_cast<double>(grid) * grid * kMaxDrops,
                                                 benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_SynthesizeFieldTenDrops)->Arg(200)->Arg(100)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

#include "ripple/RippleField.h"
#include "ripple/RippleFieldReference.h"

#include "ripple/RingKernel.h"

#include "bench/CRatioReporter.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

constexpr std::uint32_t kNow = 5000000;
constexpr std::uint32_t kOldAgeMs = 14000;  // a front of 176 cells: every ring covers the grid
constexpr std::uint32_t kYoungAgeMs = 1500; // a front of 19 cells: most cells are not reached

using Synthesis = void (*)(int, int, const FieldOptions&, std::uint32_t, DropTable, void*, int,
                           int);

// Drops clustered round the centre, old enough (unless young is asked for) that every ring
// reaches every cell, so each of the W*H*drops evaluations pays for its cosine and divisions:
// the heaviest frame the program can be asked for at that size.
std::array<RippleDrop, kMaxDrops> Scene(int grid, int dropCount, std::uint32_t age) {
    std::array<RippleDrop, kMaxDrops> drops{};
    for (int k = 0; k < dropCount; ++k) {
        const double offset = (k - kMaxDrops / 2) * grid * 0.02;
        drops[static_cast<std::size_t>(k)] =
            RippleDrop{1, grid / 2 + offset, grid / 2 - offset, kNow - age + 50 * k};
    }
    return drops;
}

// Arguments: grid size, live drops, Drift (0 or 1), drop age in ms, kernel (RingKernelLevel, or
// -1 for the widest this processor runs; the plain loop ignores it).
void RunFrames(benchmark::State& state, Synthesis synthesis) {
    const int grid = static_cast<int>(state.range(0));
    const int dropCount = static_cast<int>(state.range(1));
    const FieldOptions options{.drift = state.range(2) != 0, .spectrum = true, .addColor = true};
    const auto scene = Scene(grid, dropCount, static_cast<std::uint32_t>(state.range(3)));
    const int stride = (grid * 2 + 3) & ~3;
    std::vector<unsigned char> bits(static_cast<std::size_t>(stride) * grid);
    for (auto _ : state) {
        // Every frame starts from the same drops, so Drift cannot carry them off.
        auto drops = scene;
        synthesis(grid, grid, options, kNow, drops, bits.data(), stride, grid);
        benchmark::DoNotOptimize(bits.data());
        benchmark::ClobberMemory();
    }
    state.counters["evals"] = benchmark::Counter(static_cast<double>(grid) * grid * dropCount,
                                                 benchmark::Counter::kIsIterationInvariantRate);
}

void BM_PlainField(benchmark::State& state) {
    RunFrames(state, SynthesizeFieldReference);
}

void BM_FastField(benchmark::State& state) {
    const auto level = static_cast<RingKernelLevel>(state.range(4));
    if (state.range(4) >= 0 && !UseRingKernel(level)) {
        state.SkipWithError("this processor cannot run that kernel");
        return;
    }
    RunFrames(state, SynthesizeField);
    UseRingKernel(WidestRingKernel());
    // How many cells of the frame the fast sum could not vouch for and summed again exactly.
    const int grid = static_cast<int>(state.range(0));
    const int stride = (grid * 2 + 3) & ~3;
    std::vector<unsigned char> bits(static_cast<std::size_t>(stride) * grid);
    auto drops =
        Scene(grid, static_cast<int>(state.range(1)), static_cast<std::uint32_t>(state.range(3)));
    const FieldOptions options{.drift = state.range(2) != 0, .spectrum = true, .addColor = true};
    state.counters["resummed"] = SynthesizeFieldWithBound(
        grid, grid, options, kNow, drops, bits.data(), stride, grid, ring::kSumErrorBound);
}

void FrameCases(benchmark::internal::Benchmark* bench) {
    constexpr int kWidest = -1;
    bench->ArgNames({"grid", "drops", "drift", "age", "kernel"});
    for (int grid : {25, 100, 200}) {
        for (int drops : {1, 5, 10}) {
            bench->Args({grid, drops, 0, kOldAgeMs, kWidest});
        }
    }
    bench->Args({200, 10, 1, kOldAgeMs, kWidest});
    bench->Args({200, 10, 0, kYoungAgeMs, kWidest});
    bench->Args({200, 10, 1, kYoungAgeMs, kWidest});
    // The heaviest frame with each kernel, whichever the processor would pick.
    for (RingKernelLevel level :
         {RingKernelLevel::kBaseline, RingKernelLevel::kAvx2, RingKernelLevel::kAvx512}) {
        bench->Args({200, 10, 0, kOldAgeMs, static_cast<int>(level)});
    }
    bench->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_PlainField)->Apply(FrameCases);
BENCHMARK(BM_FastField)->Apply(FrameCases);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    CRatioReporter reporter({{"BM_PlainField", "BM_FastField", "synthesis"},
                             {"BM_QtScaledDraw", "BM_StretchBltCopy", "paint copy"},
                             {"BM_FullPaint", "BM_ChangedPaint", "rain, changed cells only"}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}

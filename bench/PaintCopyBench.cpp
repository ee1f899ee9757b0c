#include "platform/winapi/wingdi.h"
#include "surface/CDibSurface.h"
#include "tests/platform/CPainterTarget.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

constexpr int kGrid = 200; // the largest surface the program makes

// A 200 x 200 surface of water-like pixels in a memory DC, as the dialog holds it.
class CSurfaceFixture {
public:
    CSurfaceFixture() {
        m_surface.Create(kGrid, kGrid, 0);
        m_hDC = m_surface.m_hMemDC;
        void* bits = m_surface.m_pBits;
        auto* words = static_cast<std::uint16_t*>(bits);
        const int strideWords = m_surface.Stride() / 2;
        for (int y = 0; y < kGrid; ++y) {
            for (int x = 0; x < kGrid; ++x) {
                const int level = (x * 7 + y * 3) % 32;
                words[y * strideWords + x] =
                    static_cast<std::uint16_t>(((level / 3) << 10) | ((level / 2) << 5) | level);
            }
        }
    }
    CDibSurface m_surface;
    HDC m_hDC = nullptr;
};

CPainterTarget::Format TargetFormat(const benchmark::State& state) {
    return state.range(2) == 0 ? CPainterTarget::Format::Rgb32
                               : CPainterTarget::Format::Argb32Premultiplied;
}

// Qt drawing the 16-bit image scaled into the rectangle, whole pixels, no smoothing: what a
// paint handler would do without StretchBlt. Arguments: width, height, target format.
void BM_QtScaledDraw(benchmark::State& state) {
    CSurfaceFixture surface;
    CPainterTarget target(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                          TargetFormat(state));
    target.SetQtPicture(surface.m_surface.m_pBits, kGrid, kGrid, surface.m_surface.Stride());
    for (auto _ : state) {
        target.DrawWithQt();
        benchmark::DoNotOptimize(target.Bits());
    }
}

// The surface's own copy: StretchBlt from its memory DC onto a painter DC.
void BM_StretchBltCopy(benchmark::State& state) {
    CSurfaceFixture surface;
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    CPainterTarget target(width, height, TargetFormat(state));
    for (auto _ : state) {
        StretchBlt(target.Dc(), 0, 0, width, height, surface.m_hDC, 0, 0, kGrid, kGrid, SRCCOPY);
        benchmark::DoNotOptimize(target.Bits());
    }
}

void PaintCases(benchmark::internal::Benchmark* bench) {
    bench->ArgNames({"w", "h", "argb"});
    bench->Args({1920, 1080, 0});
    bench->Args({1920, 1080, 1});
    bench->Args({600, 600, 0});
    // Qt spreads large drawing over worker threads, so only the CPU time of the whole process
    // says what a paint costs.
    bench->MeasureProcessCPUTime();
    bench->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_QtScaledDraw)->Apply(PaintCases);
BENCHMARK(BM_StretchBltCopy)->Apply(PaintCases);

} // namespace

#include "platform/winapi/wingdi.h"
#include "ripple/CChangedCells.h"
#include "ripple/DropSources.h"
#include "ripple/RippleDrop.h"
#include "ripple/RippleField.h"
#include "surface/CDibSurface.h"
#include "tests/platform/CPainterTarget.h"
#include "ui/DisplayLayout.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int kGrid = 200;                  // the largest grid, where the cost lies
constexpr std::uint32_t kFramePeriod = 100; // ms between frames, as the dialog's timer
constexpr int kSettleFrames = 150;          // 15 s of rain first, so that drops come and go
constexpr int kSceneFrames = 100;           // the frames painted over and over
constexpr int kStride = kGrid * 2;          // 200 cells of two bytes need no padding

// Ten seconds of rain on 200 x 200 cells, frame by frame as the dialog draws them, after
// fifteen seconds that bring the water into its usual state: a few rings, most cells calm.
const std::vector<std::vector<std::uint16_t>>& RainScene() {
    static const std::vector<std::vector<std::uint16_t>> frames = [] {
        std::array<RippleDrop, kMaxDrops> drops{};
        int nextDrop = 0;
        std::uint32_t now = 1000000;
        std::mt19937 random(17);
        g_lastRainTick = 0;
        g_rainInterval = 0;
        std::vector<std::vector<std::uint16_t>> out;
        std::vector<std::uint16_t> frame(static_cast<std::size_t>(kGrid) * kGrid);
        for (int k = 0; k < kSettleFrames + kSceneFrames; ++k) {
            SynthesizeField(kGrid, kGrid, FieldOptions{}, now, drops, frame.data(), kStride, kGrid);
            if (k >= kSettleFrames) {
                out.push_back(frame);
            }
            MakeRainAt(
                drops, nextDrop, kGrid, kGrid, [&now] { return now; },
                [&random] { return static_cast<int>(random() >> 17); });
            now += kFramePeriod;
        }
        return out;
    }();
    return frames;
}

// The dialog's surface, and a window's worth of device pixels.
class CPaintFixture {
public:
    CPaintFixture(int width, int height) : m_target(width, height) {
        m_surface.Create(kGrid, kGrid, 0);
    }

    // The next frame of the scene into the surface, as the timer's synthesis leaves it.
    void NextFrame() {
        const auto& frames = RainScene();
        const auto& frame = frames[m_nFrame % frames.size()];
        std::memcpy(m_surface.m_pBits, frame.data(), frame.size() * sizeof frame[0]);
        ++m_nFrame;
    }

    CDibSurface m_surface;
    CPainterTarget m_target;
    std::size_t m_nFrame = 0;
};

// Every frame paints the whole picture. Arguments: window width and height, in device pixels.
void BM_FullPaint(benchmark::State& state) {
    CPaintFixture fixture(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const RECT display{0, 0, fixture.m_target.Width(), fixture.m_target.Height()};
    HDC hdc = fixture.m_target.Dc();
    for (auto _ : state) {
        fixture.NextFrame();
        StretchBlt(hdc, 0, 0, display.right, display.bottom, fixture.m_surface.m_hMemDC, 0, 0,
                   kGrid, kGrid, SRCCOPY);
        benchmark::DoNotOptimize(fixture.m_target.Bits());
    }
}

// Every frame finds the cells it changed and paints those alone, as the dialog asks the window
// system to, the search included.
void BM_ChangedPaint(benchmark::State& state) {
    CPaintFixture fixture(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const RECT display{0, 0, fixture.m_target.Width(), fixture.m_target.Height()};
    HDC hdc = fixture.m_target.Dc();
    CChangedCells changes;
    double painted = 0.0;
    double rects = 0.0;
    for (auto _ : state) {
        fixture.NextFrame();
        std::vector<RECT> region;
        for (const CellRect& cells :
             changes.Compare(fixture.m_surface.m_pBits, kStride, kGrid, kGrid)) {
            const RECT rc = CellsOnScreen(display, kGrid, kGrid, cells);
            region.push_back(rc);
            painted += static_cast<double>(rc.right - rc.left) * (rc.bottom - rc.top);
            rects += 1.0;
        }
        if (region.empty()) {
            continue;
        }
        // The paint the window system sends is clipped to what was invalidated.
        fixture.m_target.ClipTo(region);
        StretchBlt(hdc, 0, 0, display.right, display.bottom, fixture.m_surface.m_hMemDC, 0, 0,
                   kGrid, kGrid, SRCCOPY);
        fixture.m_target.ClipTo({});
        benchmark::DoNotOptimize(fixture.m_target.Bits());
    }
    // How much of the window a frame paints, and in how many rectangles.
    const double frames = static_cast<double>(state.iterations());
    state.counters["painted"] =
        painted / frames / (static_cast<double>(display.right) * display.bottom);
    state.counters["rects"] = rects / frames;
}

void WindowCases(benchmark::internal::Benchmark* bench) {
    bench->ArgNames({"w", "h"});
    bench->Args({3840, 2160});
    bench->Args({1280, 720});
    bench->MeasureProcessCPUTime();
    bench->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_FullPaint)->Apply(WindowCases);
BENCHMARK(BM_ChangedPaint)->Apply(WindowCases);

} // namespace

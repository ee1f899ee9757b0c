#include "ripple/RingKernel.h"
#include "ripple/RippleField.h"
#include "ripple/RippleFieldReference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Table = std::array<RippleDrop, kMaxDrops>;

constexpr unsigned char kUntouched = 0xAB;
constexpr int kDefaultScenes = 600; // keeps the normal test run within a few seconds
constexpr std::uint32_t kFramePeriodMs = 100;

// One frame to render both ways.
struct Scene {
    int width = 25;
    int height = 25;
    FieldOptions options;
    std::uint32_t now = 0;
    Table drops{};
    int extraStride = 0; // bytes of padding beyond the usual row stride
    int extraRows = 0;   // rows of the buffer below the grid
};

std::string Describe(const Scene& scene) {
    std::ostringstream out;
    out << std::hexfloat << scene.width << "x" << scene.height << " drift " << scene.options.drift
        << " spectrum " << scene.options.spectrum << " color " << scene.options.addColor << " now "
        << scene.now;
    for (const RippleDrop& drop : scene.drops) {
        out << "\n  drop " << drop.active << " " << drop.x << " " << drop.y << " " << drop.tick;
    }
    return out.str();
}

struct Rendered {
    std::vector<unsigned char> bytes;
    Table drops;
};

template <class Synthesis> Rendered Render(const Scene& scene, Synthesis synthesis) {
    const int stride = ((scene.width * 2 + 3) & ~3) + scene.extraStride;
    const int rows = scene.height + scene.extraRows;
    Rendered out{std::vector<unsigned char>(static_cast<std::size_t>(stride) * rows, kUntouched),
                 scene.drops};
    synthesis(scene.width, scene.height, scene.options, scene.now, out.drops, out.bytes.data(),
              stride, rows);
    return out;
}

bool SameDrops(const Table& a, const Table& b) {
    for (std::size_t k = 0; k < a.size(); ++k) {
        if (a[k].active != b[k].active || a[k].tick != b[k].tick ||
            std::bit_cast<std::uint64_t>(a[k].x) != std::bit_cast<std::uint64_t>(b[k].x) ||
            std::bit_cast<std::uint64_t>(a[k].y) != std::bit_cast<std::uint64_t>(b[k].y)) {
            return false;
        }
    }
    return true;
}

// Renders the scene fast and plain and compares every byte and every drop, bit for bit.
::testing::AssertionResult FastMatchesPlain(const Scene& scene) {
    const Rendered plain = Render(scene, SynthesizeFieldReference);
    const Rendered fast = Render(scene, SynthesizeField);
    const int stride = ((scene.width * 2 + 3) & ~3) + scene.extraStride;
    for (std::size_t b = 0; b < plain.bytes.size(); ++b) {
        if (plain.bytes[b] != fast.bytes[b]) {
            return ::testing::AssertionFailure()
                   << "byte " << b << " (memory row " << b / static_cast<std::size_t>(stride)
                   << ") differs in " << Describe(scene);
        }
    }
    if (!SameDrops(plain.drops, fast.drops)) {
        return ::testing::AssertionFailure() << "drops differ after " << Describe(scene);
    }
    return ::testing::AssertionSuccess();
}

// Random scenes that reach every corner of the input: sizes from the list and odd ones, every
// option combination, the ages at which a drop changes behaviour, drops far away, huge, tiny or
// not even finite, and ticks on both sides of the 32-bit wrap.
class CSceneMaker {
public:
    explicit CSceneMaker(std::uint64_t seed) : m_random(seed) {}

    Scene Make(int index) {
        static constexpr int kSizes[] = {25, 50, 75, 100, 125, 150, 175, 200, 10, 13, 99, 257};
        Scene scene;
        // Small grids are cheap and large ones are few, so most scenes can run.
        const int size = Pick(4) == 0 ? kSizes[Pick(12)] : kSizes[Pick(3) == 0 ? 8 + Pick(3) : 0];
        scene.width = size;
        scene.height = Pick(6) == 0 ? 1 + Pick(size) : size;
        scene.options = {
            .drift = (index & 1) != 0, .spectrum = (index & 2) != 0, .addColor = (index & 4) != 0};
        scene.now = MakeNow();
        const int live = Pick(11);
        for (int k = 0; k < kMaxDrops; ++k) {
            RippleDrop& drop = scene.drops[static_cast<std::size_t>(k)];
            drop.active = k < live ? (Pick(8) == 0 ? 2 + Pick(5) : 1) : 0;
            drop.x = MakeCoordinate(scene.width);
            drop.y = MakeCoordinate(scene.height);
            drop.tick = scene.now - MakeAge();
        }
        if (Pick(3) == 0) {
            std::shuffle(scene.drops.begin(), scene.drops.end(), m_random);
        }
        scene.extraStride = Pick(4) == 0 ? 2 * Pick(3) : 0;
        scene.extraRows = Pick(4) == 0 ? Pick(3) : 0;
        return scene;
    }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    double Uniform(double from, double to) {
        return std::uniform_real_distribution<double>(from, to)(m_random);
    }

    std::uint32_t MakeNow() {
        switch (Pick(4)) {
        case 0: // just after the wrap, with drops from before it
            return static_cast<std::uint32_t>(Pick(20000));
        case 1: // just before it
            return 0xFFFFFFFFu - static_cast<std::uint32_t>(Pick(20000));
        default:
            return std::uniform_int_distribution<std::uint32_t>()(m_random);
        }
    }

    std::uint32_t MakeAge() {
        static constexpr std::uint32_t kEdges[] = {0, 1, 1999, 2000, 2001, 14999, 15000, 15001};
        switch (Pick(3)) {
        case 0:
            return kEdges[Pick(8)];
        case 1:
            return std::uniform_int_distribution<std::uint32_t>()(m_random);
        default:
            return static_cast<std::uint32_t>(Pick(16000));
        }
    }

    double MakeCoordinate(int size) {
        switch (Pick(12)) {
        case 0:
            return Uniform(-300.0, size + 300.0); // well outside, rings may still arrive
        case 1: {
            static constexpr double kOdd[] = {1e15,    -1e15, 1e300, -1e300, 1e-300,
                                              -1e-300, 1e308, 0.0,   -0.0,   4503599627370496.0};
            return kOdd[Pick(10)];
        }
        case 2: {
            static constexpr double kEndless[] = {std::numeric_limits<double>::infinity(),
                                                  -std::numeric_limits<double>::infinity(),
                                                  std::numeric_limits<double>::quiet_NaN()};
            return Pick(4) == 0 ? kEndless[Pick(3)] : static_cast<double>(Pick(size));
        }
        case 3:
        case 4:
            return static_cast<double>(Pick(size)); // a click puts drops on whole cells
        default:
            return Uniform(-5.0, size + 5.0);
        }
    }

    std::mt19937_64 m_random;
};

int SceneCount() {
    // The long check asks for many more through the environment.
    const char* text = std::getenv("ONDELINE_DIFFERENTIAL_SCENES");
    const int count = text != nullptr ? std::atoi(text) : 0;
    return count > 0 ? count : kDefaultScenes;
}

// Every test runs once with each kernel this processor can run, so that one machine holds all of
// them to the plain loop.
class RippleFieldDifferentialTest : public ::testing::TestWithParam<RingKernelLevel> {
protected:
    void SetUp() override {
        if (!UseRingKernel(GetParam())) {
            GTEST_SKIP() << "this processor cannot run that kernel";
        }
    }
    void TearDown() override { UseRingKernel(WidestRingKernel()); }
};

TEST_P(RippleFieldDifferentialTest, FastAndPlainAgreeOnRandomFramesAndTheirSequels) {
    CSceneMaker maker(0x0de11e);
    const int scenes = SceneCount();
    for (int n = 0; n < scenes; ++n) {
        Scene scene = maker.Make(n);
        // A few frames in a row, as the timer renders them: Drift carries the drops on and old
        // ones retire, identically in both.
        for (int frame = 0; frame < 1 + n % 3; ++frame) {
            ASSERT_TRUE(FastMatchesPlain(scene)) << "scene " << n << " frame " << frame;
            scene.drops = Render(scene, SynthesizeFieldReference).drops;
            scene.now += kFramePeriodMs;
        }
    }
}

TEST_P(RippleFieldDifferentialTest, PlainPathForEveryCellGivesThePlainFrame) {
    // A bound of a thousand trusts no fast sum at all, so this checks the exact path alone: the
    // positions it reads and its order of operations.
    CSceneMaker maker(42);
    for (int n = 0; n < 40; ++n) {
        const Scene scene = maker.Make(n);
        const Rendered plain = Render(scene, SynthesizeFieldReference);
        int recomputed = 0;
        const Rendered exact =
            Render(scene, [&](int w, int h, const FieldOptions& o, std::uint32_t now, DropTable d,
                              void* bits, int stride, int rows) {
                recomputed = SynthesizeFieldWithBound(w, h, o, now, d, bits, stride, rows, 1e3);
            });
        ASSERT_EQ(plain.bytes, exact.bytes) << Describe(scene);
        ASSERT_TRUE(SameDrops(plain.drops, exact.drops)) << Describe(scene);
        EXPECT_EQ(recomputed, scene.width * scene.height) << Describe(scene);
    }
}

// The level of one cell in the plain frame.
int PlainLevel(Scene scene, int column, int row) {
    const Rendered plain = Render(scene, SynthesizeFieldReference);
    const int stride = ((scene.width * 2 + 3) & ~3) + scene.extraStride;
    const std::size_t at = static_cast<std::size_t>(stride) *
                               static_cast<std::size_t>(scene.height + scene.extraRows - 1 - row) +
                           2 * static_cast<std::size_t>(column);
    return plain.bytes[at] & 31;
}

// Slides drop 0 to the right until the plain level of cell (column, row) changes, then closes in
// on the change down to neighbouring shifts: the two scenes on either side of it.
bool CloseInOnLevelChange(const Scene& scene, int column, int row, double step, Scene& below,
                          Scene& above) {
    const int levelBefore = PlainLevel(scene, column, row);
    auto shifted = [&](double shift) {
        Scene moved = scene;
        moved.drops[0].x += shift;
        return moved;
    };
    double low = 0.0;
    double high = 0.0;
    for (double shift = step; shift < 300.0 * step && high == 0.0; shift += step) {
        if (PlainLevel(shifted(shift), column, row) != levelBefore) {
            high = shift;
        }
    }
    if (high == 0.0) {
        return false;
    }
    for (double middle = low + (high - low) / 2.0; middle > low && middle < high;
         middle = low + (high - low) / 2.0) {
        (PlainLevel(shifted(middle), column, row) == levelBefore ? low : high) = middle;
    }
    below = shifted(low);
    above = shifted(high);
    return true;
}

TEST_P(RippleFieldDifferentialTest, SumsOnARoundingBoundaryAreSummedAgainExactly) {
    // On either side of a change of level the sum lies within an ulp or so of a rounding
    // boundary, where no fast sum can be trusted, and both sides must still come out as the plain
    // loop's. Every ring covers the whole grid (a front of 37 cells or more), so the sum moves
    // smoothly with the drop and a change of level is a rounding boundary, never a front passing.
    std::mt19937_64 random(99);
    std::uniform_int_distribution<std::uint32_t> tick;
    int constructed = 0;
    for (int n = 0; n < 24; ++n) {
        Scene scene;
        scene.options = {.drift = n % 2 == 1, .spectrum = false, .addColor = n % 4 >= 2};
        scene.now = tick(random);
        const int dropCount = 1 + n % 10;
        for (int k = 0; k < dropCount; ++k) {
            scene.drops[static_cast<std::size_t>(k)] =
                RippleDrop{1, 3.0 + 2.0 * k, 20.0 - 1.5 * k, scene.now - 3000 - 1400 * k};
        }
        Scene below;
        Scene above;
        if (!CloseInOnLevelChange(scene, 5 + n % 15, 7 + n % 11, 0.01, below, above)) {
            continue;
        }
        for (const Scene& side : {below, above}) {
            ASSERT_TRUE(FastMatchesPlain(side)) << "case " << n;
            Table drops = side.drops;
            std::vector<unsigned char> bits(52 * 25);
            const int recomputed = SynthesizeFieldWithBound(
                25, 25, side.options, side.now, drops, bits.data(), 52, 25, ring::kSumErrorBound);
            EXPECT_GE(recomputed, 1) << "case " << n << ": the boundary cell was trusted";
        }
        ++constructed;
    }
    EXPECT_GE(constructed, 20) << "too few boundary cases were found";
}

TEST_P(RippleFieldDifferentialTest, RingFrontPassingACellIsDecidedAsInThePlainLoop) {
    // A young ring whose front is about to reach a cell: sliding the drop towards the cell, the
    // cell's level jumps where the rounded distance falls below the front. On either side of the
    // jump the distance lies within an ulp of the front, and the fast path must decide reach
    // exactly as the plain loop does.
    std::mt19937_64 random(7);
    std::uniform_int_distribution<std::uint32_t> tick;
    int constructed = 0;
    for (int n = 0; n < 24; ++n) {
        Scene scene;
        scene.options = {.drift = n % 3 == 1, .spectrum = false, .addColor = n % 2 == 1};
        scene.now = tick(random);
        const std::uint32_t age = 700 + 37 * static_cast<std::uint32_t>(n); // fronts of 9 to 20
        const double front = age * ring::kFrontSpeed;
        const double angle = 0.06 * n;
        // The cell sits just beyond the front, up and to the right of the drop.
        const double cellX = 24.0;
        const double cellY = 12.0;
        scene.drops[0] = RippleDrop{1, cellX - (front + 0.3) * std::cos(angle * 0.2),
                                    cellY + (front + 0.3) * std::sin(angle * 0.2), scene.now - age};
        scene.drops[1] = RippleDrop{1, 3.0, 20.0, scene.now - 5000};
        Scene below;
        Scene above;
        if (!CloseInOnLevelChange(scene, 24, 12, 0.005, below, above)) {
            continue;
        }
        ASSERT_TRUE(FastMatchesPlain(below)) << "case " << n;
        ASSERT_TRUE(FastMatchesPlain(above)) << "case " << n;
        ++constructed;
    }
    EXPECT_GE(constructed, 20) << "too few front crossings were found";
}

std::string KernelName(RingKernelLevel level) {
    switch (level) {
    case RingKernelLevel::kAvx2:
        return "Avx2";
    case RingKernelLevel::kAvx512:
        return "Avx512";
    default:
        return "Baseline";
    }
}

INSTANTIATE_TEST_SUITE_P(Kernels, RippleFieldDifferentialTest,
                         ::testing::Values(RingKernelLevel::kBaseline, RingKernelLevel::kAvx2,
                                           RingKernelLevel::kAvx512),
                         [](const auto& info) { return KernelName(info.param); });

} // namespace

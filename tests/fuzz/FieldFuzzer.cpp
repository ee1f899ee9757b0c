// Fuzzes the field synthesis with whole scenes: grid sizes, option bits, ticks, buffers exactly as
// large as the surface makes them or a little larger or too small, and ten drop slots holding
// any doubles, NaN, infinities and huge values among them. Every frame must write each pixel of
// the grid and nothing else, leave the drops and pixels exactly as the rings are defined (cell
// by cell, as the plain loop below computes them), and refuse a buffer it does not fit whole.

#include "ripple/RippleField.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace {

// The constants of the rings, as the design of the picture gives them.
constexpr double kPhasePerMs = 0.006666666666666667; // phase = tick / 150
constexpr double kDriftX = 0.00005;                  // cells per evaluated cell, with Drift
constexpr double kDriftY = 0.00002;
constexpr double kLifetimeMs = 15000.0;
constexpr double kFrontSpeed = 0.01256636; // cells per ms
constexpr double kWaveNumber = 0.628;      // per cell
constexpr double kDistanceDamping = 0.04;  // per cell
constexpr double kUnit = 1.0;
constexpr double kAgeDamping = 0.0005; // per ms
constexpr double kGain = 16.0;
constexpr double kOffset = 16.5;
constexpr int kMaxLevel = 31;
constexpr int kStripWidth = 10;

// Scenes stay small enough to run thousands of times a second, yet wider than one block of the
// fast synthesis, which sums 256 columns at a time.
constexpr int kMinGridW = 10; // the Spectrum strip needs ten columns
constexpr int kMaxGridW = 320;
constexpr int kMaxGridH = 64;
constexpr int kMaxCells = 12000;
constexpr int kGuardBytes = 64;           // before and after the pixel memory
constexpr std::uint8_t kUnwritten = 0xff; // a pixel word never has bit 15 set

std::uint16_t Pack(int red, int green, int level) {
    return static_cast<std::uint16_t>(((red & 31) << 10) | ((green & 31) << 5) | (level & 31));
}

std::uint16_t PlainCell(int column, int row, const FieldOptions& options, std::uint32_t now,
                        double phase, RippleDrop* drops) {
    const double x = column;
    const double y = row;
    double sum = 0.0;
    for (int k = 0; k < kMaxDrops; ++k) {
        RippleDrop& drop = drops[k];
        if (drop.active == 0) {
            continue;
        }
        const double dx = x - drop.x;
        const double dy = y - drop.y;
        if (options.drift) {
            drop.x += kDriftX;
            drop.y += kDriftY;
        }
        const double age = static_cast<double>(static_cast<std::uint32_t>(now - drop.tick));
        if (age > kLifetimeMs) {
            drop.active = 0;
            continue;
        }
        const double r = std::sqrt(dy * dy + dx * dx);
        if (!(r < age * kFrontSpeed)) {
            continue;
        }
        double w = std::cos(r * kWaveNumber - phase) / (r * kDistanceDamping + kUnit);
        const double a = age * kAgeDamping;
        if (a > kUnit) {
            w = w / a;
        }
        sum += w;
    }
    int level = static_cast<int>(sum * kGain + kOffset);
    level = level <= 0 ? 0 : (level >= kMaxLevel ? kMaxLevel : level);
    return options.addColor ? Pack(level / 3, level / 2, level) : Pack(0, 0, level);
}

void Store(std::uint8_t* row, int column, std::uint16_t pixel) {
    std::memcpy(row + 2 * column, &pixel, sizeof pixel);
}

// The frame computed the plain way, one cell after another.
void PlainField(int gridW, int gridH, const FieldOptions& options, std::uint32_t now,
                RippleDrop* drops, std::uint8_t* bits, int stride, int rows) {
    const double phase = static_cast<double>(now) * kPhasePerMs;
    for (int i = 0; i < gridH; ++i) {
        std::uint8_t* row = bits + static_cast<std::ptrdiff_t>(stride) * (rows - 1 - i);
        for (int j = 0; j < gridW; ++j) {
            Store(row, j, PlainCell(j, i, options, now, phase, drops));
        }
        if (options.spectrum) {
            const int s = (32 * i) / gridH;
            const std::uint16_t strip = options.addColor ? Pack(s / 3, s / 2, s) : Pack(0, 0, s);
            for (int j = 0; j < kStripWidth; ++j) {
                Store(row, j, strip);
            }
        }
    }
}

double Coordinate(FuzzedDataProvider& input, int cells) {
    switch (input.ConsumeIntegralInRange(0, 9)) {
    case 0:
        return input.ConsumeFloatingPoint<double>(); // anything a double can be
    case 1:
        return std::numeric_limits<double>::quiet_NaN();
    case 2:
        return std::numeric_limits<double>::infinity();
    case 3:
        return -std::numeric_limits<double>::infinity();
    case 4:
        return input.ConsumeBool() ? std::numeric_limits<double>::max() : -1e300;
    case 5:
        return std::numeric_limits<double>::denorm_min();
    default: // near or on the grid, in quarter cells
        return input.ConsumeIntegralInRange(-200 * 4, (cells + 200) * 4) / 4.0;
    }
}

std::uint32_t Age(FuzzedDataProvider& input) {
    constexpr std::uint32_t kEdges[] = {0, 1, 1999, 2000, 2001, 14999, 15000, 15001};
    switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return input.PickValueInArray(kEdges);
    case 1:
        return input.ConsumeIntegral<std::uint32_t>();
    default:
        return input.ConsumeIntegralInRange<std::uint32_t>(0, 15100);
    }
}

std::int32_t Active(FuzzedDataProvider& input) {
    constexpr std::int32_t kFlags[] = {1, 1, 1, 0, -1, 2, std::numeric_limits<std::int32_t>::min()};
    return input.PickValueInArray(kFlags);
}

struct Scene {
    int gridW;
    int gridH;
    FieldOptions options;
    std::uint32_t now;
    int stride;
    int rows;
    std::array<RippleDrop, kMaxDrops> drops;
};

Scene MakeScene(FuzzedDataProvider& input) {
    Scene scene{};
    scene.gridW = input.ConsumeIntegralInRange(kMinGridW, kMaxGridW);
    scene.gridH = input.ConsumeIntegralInRange(0, kMaxGridH);
    scene.gridH = std::min(scene.gridH, kMaxCells / scene.gridW);
    scene.options.drift = input.ConsumeBool();
    scene.options.spectrum = input.ConsumeBool();
    scene.options.addColor = input.ConsumeBool();
    scene.now = input.ConsumeIntegral<std::uint32_t>();
    // The surface pads rows to whole 32-bit words; a caller may hand over more, or too little.
    const int surfaceStride = (scene.gridW * 2 + 3) & ~3;
    scene.stride = surfaceStride + 4 * input.ConsumeIntegralInRange(-1, 2);
    scene.rows = scene.gridH + input.ConsumeIntegralInRange(-1, 2);
    scene.rows = std::max(scene.rows, 0);
    for (RippleDrop& drop : scene.drops) {
        drop.active = Active(input);
        drop.x = Coordinate(input, scene.gridW);
        drop.y = Coordinate(input, scene.gridH);
        drop.tick = scene.now - Age(input);
    }
    return scene;
}

[[noreturn]] void Fault(const char* what, int at) {
    std::fprintf(stderr, "field fuzzer: %s (at %d)\n", what, at);
    std::abort();
}

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void ExpectSameDrops(const std::array<RippleDrop, kMaxDrops>& got,
                     const std::array<RippleDrop, kMaxDrops>& expected) {
    for (int k = 0; k < kMaxDrops; ++k) {
        const RippleDrop& a = got[static_cast<std::size_t>(k)];
        const RippleDrop& b = expected[static_cast<std::size_t>(k)];
        if (a.active != b.active || a.tick != b.tick || !SameBits(a.x, b.x) ||
            !SameBits(a.y, b.y)) {
            Fault("a drop differs from the plain loop's", k);
        }
    }
}

// Byte offsets of the grid's pixels within the pixel memory, marked true.
std::vector<bool> GridBytes(const Scene& scene, std::size_t bytes) {
    std::vector<bool> grid(bytes, false);
    for (int i = 0; i < scene.gridH; ++i) {
        const std::size_t row =
            static_cast<std::size_t>(scene.stride) * static_cast<std::size_t>(scene.rows - 1 - i);
        std::fill_n(grid.begin() + static_cast<std::ptrdiff_t>(row), 2 * scene.gridW, true);
    }
    return grid;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const Scene scene = MakeScene(input);
    const std::size_t bytes =
        static_cast<std::size_t>(scene.stride) * static_cast<std::size_t>(scene.rows);
    std::vector<std::uint8_t> memory(bytes + 2 * kGuardBytes, kUnwritten);
    std::uint8_t* bits = memory.data() + kGuardBytes;
    std::array<RippleDrop, kMaxDrops> drops = scene.drops;

    SynthesizeField(scene.gridW, scene.gridH, scene.options, scene.now, DropTable(drops), bits,
                    scene.stride, scene.rows);

    const bool fits =
        scene.gridH > 0 && scene.stride >= 2 * scene.gridW && scene.rows >= scene.gridH;
    if (!fits) {
        for (std::size_t at = 0; at < memory.size(); ++at) {
            if (memory[at] != kUnwritten) {
                Fault("a refused frame wrote a byte", static_cast<int>(at));
            }
        }
        ExpectSameDrops(drops, scene.drops);
        return 0;
    }
    std::vector<std::uint8_t> plain(bytes, kUnwritten);
    std::array<RippleDrop, kMaxDrops> plainDrops = scene.drops;
    PlainField(scene.gridW, scene.gridH, scene.options, scene.now, plainDrops.data(), plain.data(),
               scene.stride, scene.rows);

    for (int at = 0; at < kGuardBytes; ++at) {
        if (memory[static_cast<std::size_t>(at)] != kUnwritten ||
            memory[bytes + kGuardBytes + static_cast<std::size_t>(at)] != kUnwritten) {
            Fault("a guard byte beside the pixel memory was written", at);
        }
    }
    const std::vector<bool> grid = GridBytes(scene, bytes);
    for (std::size_t at = 0; at < bytes; ++at) {
        if (!grid[at] && bits[at] != kUnwritten) {
            Fault("a byte outside the grid was written", static_cast<int>(at));
        }
        if (grid[at] && at % 2 == 1 && (bits[at] & 0x80) != 0) {
            Fault("a pixel of the grid was not written", static_cast<int>(at));
        }
        if (bits[at] != plain[at]) {
            Fault("a pixel differs from the plain loop's", static_cast<int>(at));
        }
    }
    ExpectSameDrops(drops, plainDrops);
    return 0;
}

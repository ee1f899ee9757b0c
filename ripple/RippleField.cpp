#include "ripple/RippleField.h"

#include "ripple/DriftRun.h"
#include "ripple/RingFormula.h"
#include "ripple/RingKernel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

using namespace ring;

namespace {

constexpr int kChunk = 256;          // columns summed together; their sums sit on the stack
constexpr double kReachMargin = 1.0; // cells of room round a ring front when skipping cells

// A drop that lives through the frame: its constants, and where it stands at the next cell.
struct LiveDrop {
    int slot;
    double front;   // age * front speed
    double damping; // age * age damping
    double x;
    double y;
};

// Per chunk: where each live drop stood at its first cell and which cells its ring may reach,
// and the fast sums.
struct ChunkState {
    std::array<double, kMaxDrops> x;
    std::array<double, kMaxDrops> y;
    std::array<int, kMaxDrops> from; // the cells each drop's ring may reach
    std::array<int, kMaxDrops> to;
    std::array<double, kChunk> sum;
    std::array<int, kChunk> levels;
    std::array<std::uint16_t, kChunk> pixels;
};

// Takes the live drops out of the table for the frame. The first cell of a frame evaluates every
// drop: one too old takes its drift step there and retires, so it never counts afterwards.
int GatherLiveDrops(DropTable drops, bool drift, std::uint32_t now, LiveDrop* live) {
    int count = 0;
    for (int slot = 0; slot < kMaxDrops; ++slot) {
        RippleDrop& drop = drops[static_cast<std::size_t>(slot)];
        if (drop.active == 0) {
            continue;
        }
        const double age = DropAge(now, drop.tick);
        if (age > kLifetimeMs) {
            if (drift) {
                drop.x += kDriftX;
                drop.y += kDriftY;
            }
            drop.active = 0;
            continue;
        }
        live[count++] = LiveDrop{slot, age * kFrontSpeed, age * kAgeDamping, drop.x, drop.y};
    }
    return count;
}

// The cells [from, to) of a chunk that the drop's ring can possibly reach, given that it stands
// within x in [xLow, xHigh] and y in [yLow, yHigh] meanwhile. Every cell left out lies at least a
// margin beyond the front, far more than the rounding of a distance, so it could not have been
// reached.
bool ReachedRun(double front, double xLow, double xHigh, double yLow, double yHigh, double y,
                int firstColumn, int count, int& from, int& to) {
    if (!(std::isfinite(xLow) && std::isfinite(xHigh) && std::isfinite(yLow) &&
          std::isfinite(yHigh)) ||
        !(front > 0.0)) {
        return false; // an endless or undefined distance, or a front still at the centre
    }
    const double rowGap = y < yLow ? yLow - y : (y > yHigh ? y - yHigh : 0.0);
    const double reach = front + kReachMargin;
    if (!(rowGap < reach)) {
        return false;
    }
    const double halfWidth = std::sqrt(reach * reach - rowGap * rowGap);
    const double lowest = std::ceil(xLow - halfWidth) - firstColumn;
    const double highest = std::floor(xHigh + halfWidth) - firstColumn + 1.0;
    from = static_cast<int>(std::clamp(lowest, 0.0, static_cast<double>(count)));
    to = static_cast<int>(std::clamp(highest, 0.0, static_cast<double>(count)));
    return from < to;
}

// Sums the drop's rings into the cells [from, to) of the chunk, which starts at column first,
// the drop standing at (x, y) at cell from. With Drift, the cells go in runs over which the
// drop's additions round uniformly, and one at a time where they do not.
void SumDriftingRings(RingSpan span, int from, int to, ChunkState& chunk, int first) {
    for (int m = from; m < to;) {
        double stepX = 0.0;
        double stepY = 0.0;
        const std::int64_t runX = UniformDriftRun(span.x, kDriftX, to - m, stepX);
        const std::int64_t runY = UniformDriftRun(span.y, kDriftY, to - m, stepY);
        const int run = static_cast<int>(std::min(runX, runY));
        span.firstColumn = first + m;
        if (run == 0) {
            span.count = 1;
            span.stepX = 0.0;
            span.stepY = 0.0;
            AccumulateRings(span, chunk.sum.data() + m);
            span.x = span.x + kDriftX;
            span.y = span.y + kDriftY;
            ++m;
            continue;
        }
        span.count = run;
        span.stepX = stepX;
        span.stepY = stepY;
        AccumulateRings(span, chunk.sum.data() + m);
        span.x = span.x + static_cast<double>(run) * stepX;
        span.y = span.y + static_cast<double>(run) * stepY;
        m += run;
    }
}

// Where a drifting drop stands after count cells from p, and the rounded step it takes at each
// when they are all alike (0 otherwise).
double DriftEnd(double p, double step, int count, double& uniformStep) {
    if (UniformDriftRun(p, step, count, uniformStep) == count) {
        return p + static_cast<double>(count) * uniformStep;
    }
    uniformStep = 0.0;
    return AdvanceDrift(p, step, count, nullptr);
}

// Sums one drop's rings into the chunk's cells [first, first + count) of row y, and moves the
// drop on by one drift step per cell.
void AddDropToChunk(LiveDrop& drop, bool drift, double y, double phase, int first, int count,
                    ChunkState& chunk, int k) {
    const auto slot = static_cast<std::size_t>(k);
    const double xStart = drop.x;
    const double yStart = drop.y;
    chunk.x[slot] = xStart;
    chunk.y[slot] = yStart;
    double stepX = 0.0;
    double stepY = 0.0;
    // Drift only ever moves right and down, so the ends of the chunk bound every position.
    const double xEnd = drift ? DriftEnd(xStart, kDriftX, count, stepX) : xStart;
    const double yEnd = drift ? DriftEnd(yStart, kDriftY, count, stepY) : yStart;
    int& from = chunk.from[slot];
    int& to = chunk.to[slot];
    from = 0;
    to = 0;
    drop.x = xEnd;
    drop.y = yEnd;
    if (!ReachedRun(drop.front, xStart, xEnd, yStart, yEnd, y, first, count, from, to)) {
        return;
    }
    RingSpan span{};
    span.row = y;
    span.firstColumn = first + from;
    span.count = to - from;
    span.front = drop.front;
    span.phase = phase;
    span.ageDivisor = drop.damping > kUnit ? drop.damping : kUnit;
    const bool uniform = !drift || (stepX != 0.0 && stepY != 0.0);
    if (uniform) {
        span.x = xStart + static_cast<double>(from) * stepX;
        span.y = yStart + static_cast<double>(from) * stepY;
        span.stepX = stepX;
        span.stepY = stepY;
        AccumulateRings(span, chunk.sum.data() + from);
        return;
    }
    span.x = AdvanceDrift(xStart, kDriftX, from, nullptr);
    span.y = AdvanceDrift(yStart, kDriftY, from, nullptr);
    SumDriftingRings(span, from, to, chunk, first);
}

// The plain loop's sum at cell m of the chunk, drop by drop in slot order with its very
// operations, from the positions the drops held at that cell. A drop whose ring cannot reach the
// cell adds nothing there, in the plain loop too.
double ExactSum(double x, double y, double phase, bool drift, const LiveDrop* live, int liveCount,
                const ChunkState& chunk, int m) {
    double sum = 0.0;
    for (int k = 0; k < liveCount; ++k) {
        const auto slot = static_cast<std::size_t>(k);
        if (m < chunk.from[slot] || m >= chunk.to[slot]) {
            continue;
        }
        const double dropX =
            drift ? AdvanceDrift(chunk.x[slot], kDriftX, m, nullptr) : chunk.x[slot];
        const double dropY =
            drift ? AdvanceDrift(chunk.y[slot], kDriftY, m, nullptr) : chunk.y[slot];
        const double dx = x - dropX;
        const double dy = y - dropY;
        const double r = std::sqrt(dy * dy + dx * dx);
        if (!(r < live[k].front)) {
            continue;
        }
        double w = std::cos(r * kWaveNumber - phase) / (r * kDistanceDamping + kUnit);
        const double a = live[k].damping;
        if (a > kUnit) {
            w = w / a;
        }
        sum += w;
    }
    return sum;
}

} // namespace

int SynthesizeFieldWithBound(int gridW, int gridH, const FieldOptions& options, std::uint32_t now,
                             DropTable drops, void* bits, int stride, int rows,
                             double sumErrorBound) {
    // A grid larger than the buffer would send rows before its start or pixels into the next
    // row, so such a frame is refused whole rather than drawn in part.
    if (!GridFitsBuffer(gridW, gridH, bits, stride, rows)) {
        return 0;
    }
    auto* const base = static_cast<unsigned char*>(bits);
    const double phase = static_cast<double>(now) * kPhasePerMs;
    // The strip is ten pixels wide in any grid the program offers; a narrower grid keeps it
    // inside its own row.
    const int stripWidth = gridW < kStripWidth ? gridW : kStripWidth;
    std::array<std::uint16_t, kLevelCount> levelPixels{};
    for (int level = 0; level < kLevelCount; ++level) {
        levelPixels[static_cast<std::size_t>(level)] = LevelPixel(level, options.addColor);
    }

    std::array<LiveDrop, kMaxDrops> live{};
    const int liveCount = gridW > 0 ? GatherLiveDrops(drops, options.drift, now, live.data()) : 0;
    ChunkState chunk;
    int recomputed = 0;

    for (int i = 0; i < gridH; ++i) {
        const double y = static_cast<double>(i);
        // Bottom-up memory: the top row on screen is the last row of the buffer.
        unsigned char* const row = base + static_cast<std::ptrdiff_t>(stride) * (rows - 1 - i);
        for (int first = 0; first < gridW; first += kChunk) {
            const int count = std::min(kChunk, gridW - first);
            std::fill_n(chunk.sum.begin(), count, 0.0);
            for (int k = 0; k < liveCount; ++k) {
                AddDropToChunk(live[static_cast<std::size_t>(k)], options.drift, y, phase, first,
                               count, chunk, k);
            }
            QuantiseTrusted(chunk.sum.data(), count, sumErrorBound, chunk.levels.data());
            for (int m = 0; m < count; ++m) {
                int level = chunk.levels[static_cast<std::size_t>(m)];
                if (level < 0) {
                    const double x = static_cast<double>(first + m);
                    level = Quantise(
                        ExactSum(x, y, phase, options.drift, live.data(), liveCount, chunk, m));
                    ++recomputed;
                }
                chunk.pixels[static_cast<std::size_t>(m)] =
                    levelPixels[static_cast<std::size_t>(level)];
            }
            std::memcpy(row + static_cast<std::ptrdiff_t>(first) * kBytesPerPixel,
                        chunk.pixels.data(), static_cast<std::size_t>(count) * kBytesPerPixel);
        }
        if (options.spectrum) {
            const std::uint16_t strip = LevelPixel(StripLevel(i, gridH), options.addColor);
            for (int j = 0; j < stripWidth; ++j) {
                StorePixel(row, j, strip);
            }
        }
    }
    for (int k = 0; k < liveCount; ++k) {
        RippleDrop& drop = drops[static_cast<std::size_t>(live[static_cast<std::size_t>(k)].slot)];
        drop.x = live[static_cast<std::size_t>(k)].x;
        drop.y = live[static_cast<std::size_t>(k)].y;
    }
    return recomputed;
}

void SynthesizeField(int gridW, int gridH, const FieldOptions& options, std::uint32_t now,
                     DropTable drops, void* bits, int stride, int rows) {
    SynthesizeFieldWithBound(gridW, gridH, options, now, drops, bits, stride, rows, kSumErrorBound);
}

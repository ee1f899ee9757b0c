#include "ripple/CChangedCells.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

// Cells are compared in square tiles of this side: small enough that a ring's surroundings stay
// out of the rectangles, large enough that a frame gives a handful of rectangles, not hundreds.
constexpr int kTileCells = 8;
// Beyond this many rectangles, each row of tiles becomes one span: every rectangle costs a
// paint and a flush of its own, and scattered rain is cheaper painted in bands.
constexpr std::size_t kMostRects = 24;

std::size_t At(int row, int width) {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(width);
}

} // namespace

const std::vector<CellRect>& CChangedCells::Compare(const void* bits, int stride, int width,
                                                    int height) {
    m_rects.clear();
    if (bits == nullptr || width <= 0 || height <= 0 || stride < width * 2) {
        Forget();
        return m_rects;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(width) * sizeof(std::uint16_t);
    const auto* memory = static_cast<const std::uint8_t*>(bits);
    if (width != m_nWidth || height != m_nHeight) {
        m_nWidth = width;
        m_nHeight = height;
        m_last.assign(At(height, width), 0);
        for (int row = 0; row < height; ++row) {
            // Memory row 0 is the picture's bottom row.
            std::memcpy(&m_last[At(row, width)],
                        memory + static_cast<std::ptrdiff_t>(height - 1 - row) * stride, rowBytes);
        }
        m_rects.push_back({0, 0, width, height});
        return m_rects;
    }

    const int tilesAcross = (width + kTileCells - 1) / kTileCells;
    const int tilesDown = (height + kTileCells - 1) / kTileCells;
    m_dirty.assign(static_cast<std::size_t>(tilesAcross) * static_cast<std::size_t>(tilesDown), 0);
    bool any = false;
    for (int row = 0; row < height; ++row) {
        const auto* now = memory + static_cast<std::ptrdiff_t>(height - 1 - row) * stride;
        std::uint16_t* last = &m_last[At(row, width)];
        // Most rows of rainy water are the same as before; one comparison settles them.
        if (std::memcmp(now, last, rowBytes) == 0) {
            continue;
        }
        std::uint8_t* dirty = &m_dirty[At(row / kTileCells, tilesAcross)];
        for (int tile = 0; tile < tilesAcross; ++tile) {
            const int from = tile * kTileCells;
            const int cells = std::min(kTileCells, width - from);
            if (std::memcmp(now + from * 2, last + from, static_cast<std::size_t>(cells) * 2) !=
                0) {
                dirty[tile] = 1;
            }
        }
        std::memcpy(last, now, rowBytes);
        any = true;
    }
    if (any) {
        GatherTiles();
    }
    return m_rects;
}

void CChangedCells::Forget() {
    m_last.clear();
    m_nWidth = 0;
    m_nHeight = 0;
}

// Runs of changed tiles along each row of tiles, each run joined to the one above it when the
// two span the same columns, as the rows of a ring's patch mostly do.
void CChangedCells::GatherTiles() {
    const int tilesAcross = (m_nWidth + kTileCells - 1) / kTileCells;
    const int tilesDown = (m_nHeight + kTileCells - 1) / kTileCells;
    for (const bool bands : {false, true}) {
        m_rects.clear();
        std::size_t aboveFrom = 0; // the rectangles that end at the row of tiles above
        for (int ty = 0; ty < tilesDown; ++ty) {
            const std::uint8_t* dirty = &m_dirty[At(ty, tilesAcross)];
            const int top = ty * kTileCells;
            const int bottom = std::min(top + kTileCells, m_nHeight);
            const std::size_t rowFrom = m_rects.size();
            for (int tile = 0; tile < tilesAcross;) {
                if (dirty[tile] == 0) {
                    ++tile;
                    continue;
                }
                int end = tile + 1;
                if (bands) {
                    for (int t = end; t < tilesAcross; ++t) {
                        end = dirty[t] != 0 ? t + 1 : end;
                    }
                }
                while (end < tilesAcross && dirty[end] != 0) {
                    ++end;
                }
                const CellRect run{tile * kTileCells, top, std::min(end * kTileCells, m_nWidth),
                                   bottom};
                auto joined = std::find_if(
                    m_rects.begin() + static_cast<std::ptrdiff_t>(aboveFrom),
                    m_rects.begin() + static_cast<std::ptrdiff_t>(rowFrom), [&](const CellRect& r) {
                        return r.left == run.left && r.right == run.right && r.bottom == top;
                    });
                if (joined != m_rects.begin() + static_cast<std::ptrdiff_t>(rowFrom)) {
                    joined->bottom = bottom;
                } else {
                    m_rects.push_back(run);
                }
                tile = end;
            }
            // Rectangles that reached this row stay candidates for the next one; the others are
            // closed. Keeping them in one slice needs them at the end of the list.
            std::stable_partition(m_rects.begin() + static_cast<std::ptrdiff_t>(aboveFrom),
                                  m_rects.end(),
                                  [&](const CellRect& r) { return r.bottom != bottom; });
            aboveFrom = static_cast<std::size_t>(
                std::find_if(m_rects.begin() + static_cast<std::ptrdiff_t>(aboveFrom),
                             m_rects.end(), [&](const CellRect& r) { return r.bottom == bottom; }) -
                m_rects.begin());
        }
        if (m_rects.size() <= kMostRects) {
            return;
        }
    }
}

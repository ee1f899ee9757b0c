#include "tools/render/CSceneRenderer.h"

#include "ripple/RandomSource.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace {

constexpr WORD kBlackFill = 0; // a new surface starts black, as the dialog makes it

} // namespace

bool CSceneRenderer::Run(const std::vector<SceneDirective>& directives, const FrameSink& sink) {
    Reset();
    for (const SceneDirective& directive : directives) {
        if (!OnDirective(directive, sink)) {
            return false;
        }
    }
    return true;
}

double CSceneRenderer::MeanSynthesisMicroseconds() const {
    if (m_nFrames == 0) {
        return 0.0;
    }
    return std::chrono::duration<double, std::micro>(m_synthesisTime).count() / m_nFrames;
}

void CSceneRenderer::Reset() {
    ResetWater(m_nNextDrop);
    ResetRand();
    m_surface.Free();
    m_nGridW = kDefaultGridCells;
    m_nGridH = kDefaultGridCells;
    m_rcDisplay = DisplayRect{0, 0, m_nGridW, m_nGridH};
    m_bRectGiven = false;
    m_options = FieldOptions{};
    m_nFrames = 0;
    m_synthesisTime = std::chrono::nanoseconds{0};
    m_strError.clear();
}

bool CSceneRenderer::OnDirective(const SceneDirective& directive, const FrameSink& sink) {
    return std::visit(
        [&](const auto& action) {
            using Action = std::decay_t<decltype(action)>;
            if constexpr (std::is_same_v<Action, GridDirective>) {
                OnGrid(action);
            } else if constexpr (std::is_same_v<Action, OptionsDirective>) {
                m_options = action.options;
            } else if constexpr (std::is_same_v<Action, DropDirective>) {
                OnDrop(action);
            } else if constexpr (std::is_same_v<Action, RectDirective>) {
                OnRect(action);
            } else if constexpr (std::is_same_v<Action, ClickDirective>) {
                OnClick(action);
            } else if constexpr (std::is_same_v<Action, RainDirective>) {
                OnRain(action);
            } else {
                return OnNow(action, sink);
            }
            return true;
        },
        directive.action);
}

// Like the size list: the drops keep their coordinates, and the surface is made anew at the
// next frame.
void CSceneRenderer::OnGrid(const GridDirective& grid) {
    m_nGridW = grid.width;
    m_nGridH = grid.height;
    if (!m_bRectGiven) {
        m_rcDisplay = DisplayRect{0, 0, m_nGridW, m_nGridH};
    }
}

void CSceneRenderer::OnDrop(const DropDirective& drop) {
    InsertDrop(g_drops, m_nNextDrop, drop.x, drop.y, drop.tick);
}

void CSceneRenderer::OnRect(const RectDirective& rect) {
    m_rcDisplay = rect.rect;
    m_bRectGiven = true;
}

void CSceneRenderer::OnClick(const ClickDirective& click) {
    AddDropAt(g_drops, m_nNextDrop, m_rcDisplay, m_nGridW, m_nGridH, click.px, click.py,
              click.tick);
}

// Rain reads the clock twice; both reads give the script's tick.
void CSceneRenderer::OnRain(const RainDirective& rain) {
    const std::uint32_t tick = rain.tick;
    MakeRainAt(
        g_drops, m_nNextDrop, m_nGridW, m_nGridH, [tick] { return tick; }, [] { return Rand(); });
}

bool CSceneRenderer::OnNow(const NowDirective& now, const FrameSink& sink) {
    if (m_surface.Width() != m_nGridW || m_surface.Height() != m_nGridH ||
        m_surface.m_pBits == nullptr) {
        if (!m_surface.Create(m_nGridW, m_nGridH, kBlackFill)) {
            m_strError = "cannot make a " + std::to_string(m_nGridW) + " x " +
                         std::to_string(m_nGridH) + " surface (out of memory?)";
            return false;
        }
    }
    const auto start = std::chrono::steady_clock::now();
    SynthesizeField(m_nGridW, m_nGridH, m_options, now.tick, g_drops, m_surface.m_pBits,
                    m_surface.Stride(), m_surface.Height());
    m_synthesisTime += std::chrono::steady_clock::now() - start;
    ++m_nFrames;
    return sink(CopyFrame(now.tick));
}

// The surface holds its rows bottom-up; the frame holds them as they are seen.
SceneFrame CSceneRenderer::CopyFrame(std::uint32_t tick) const {
    SceneFrame frame;
    frame.tick = tick;
    frame.width = m_nGridW;
    frame.height = m_nGridH;
    frame.pixels.resize(static_cast<std::size_t>(m_nGridW) * static_cast<std::size_t>(m_nGridH));
    const auto* bits = static_cast<const unsigned char*>(m_surface.m_pBits);
    const std::size_t rowBytes = static_cast<std::size_t>(m_nGridW) * sizeof(std::uint16_t);
    for (int row = 0; row < m_nGridH; ++row) {
        const std::size_t memoryRow = static_cast<std::size_t>(m_surface.Height() - 1 - row);
        std::memcpy(
            &frame.pixels[static_cast<std::size_t>(row) * static_cast<std::size_t>(m_nGridW)],
            bits + memoryRow * static_cast<std::size_t>(m_surface.Stride()), rowBytes);
    }
    std::copy(std::begin(g_drops), std::end(g_drops), frame.drops.begin());
    return frame;
}

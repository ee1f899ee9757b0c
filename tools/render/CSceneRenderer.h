#pragma once

// Runs a checked scene script the way the dialog runs its handlers: drops and clicks go into
// the program's drop table, rain draws from its random source, and every `now` synthesises a
// frame into a real pixel surface, from which the frame is copied out.

#include "ripple/DropSources.h"
#include "ripple/RippleField.h"
#include "surface/CDibSurface.h"
#include "tools/render/SceneDirective.h"
#include "tools/render/SceneFrame.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CSceneRenderer {
public:
    static constexpr int kDefaultGridCells = 100; // the dialog's starting size

    // Takes each frame as it is made; returning false stops the run.
    using FrameSink = std::function<bool(const SceneFrame&)>;

    // Starts from a fresh program: empty drop table, slot 0 next, rain state and random source
    // at their starting values, a 100 x 100 grid, no options. Returns false when the sink
    // refused a frame or a surface could not be made (Error() then says which).
    bool Run(const std::vector<SceneDirective>& directives, const FrameSink& sink);

    int FramesRendered() const { return m_nFrames; }
    // Mean time of the field synthesis alone, per frame.
    double MeanSynthesisMicroseconds() const;
    const std::string& Error() const { return m_strError; }

private:
    void Reset();
    bool OnDirective(const SceneDirective& directive, const FrameSink& sink);
    void OnGrid(const GridDirective& grid);
    void OnDrop(const DropDirective& drop);
    void OnRect(const RectDirective& rect);
    void OnClick(const ClickDirective& click);
    void OnRain(const RainDirective& rain);
    bool OnNow(const NowDirective& now, const FrameSink& sink);
    SceneFrame CopyFrame(std::uint32_t tick) const;

    CDibSurface m_surface;
    int m_nGridW = kDefaultGridCells;
    int m_nGridH = kDefaultGridCells;
    DisplayRect m_rcDisplay{0, 0, kDefaultGridCells, kDefaultGridCells};
    bool m_bRectGiven = false; // until a rect line, the rectangle follows the grid
    FieldOptions m_options;
    int m_nNextDrop = 0;
    int m_nFrames = 0;
    std::chrono::nanoseconds m_synthesisTime{0};
    std::string m_strError;
};

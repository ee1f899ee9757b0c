#pragma once

// A scene script, read and checked as a whole before anything is rendered, so that a fault on
// the last line leaves no output behind.

#include "tools/render/SceneDirective.h"

#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

class CSceneScript {
public:
    // Limits of the values a script may give; the help text and the README quote them.
    static constexpr int kMinGridCells = 10; // the Spectrum strip is 10 pixels wide
    static constexpr int kMaxGridCells = 4096;
    // Client pixels are kept small enough that mapping a click onto the largest grid cannot
    // overflow 32-bit arithmetic.
    static constexpr int kMaxClientPixel = 100000;

    // Reads every line of in. On the first fault returns false, and Error() holds
    // "LINE: what is wrong"; the directives read so far are then of no use.
    bool Parse(std::istream& in);

    const std::vector<SceneDirective>& Directives() const { return m_directives; }
    int FrameCount() const { return m_nFrames; }
    // The number of lines read, comments and blank lines included.
    int LineCount() const { return m_nLines; }
    const std::string& Error() const { return m_strError; }

private:
    bool ParseLine(int line, std::string_view text);
    bool Fail(int line, const std::string& what);

    std::vector<SceneDirective> m_directives;
    int m_nFrames = 0;
    int m_nLines = 0;
    std::string m_strError;
};

#pragma once

// Writes the frames of a script as PNG images. Every frame goes first to a hidden temporary file
// beside its final name; only when all of them are written are they renamed into place, so a
// failure at any point leaves no partial picture and no stray frame behind. A single frame may
// instead go to a stream such as standard output, held in memory until the commit for the same
// reason.

#include "tools/render/SceneFrame.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

class CPngWriter {
public:
    static constexpr int kMinScale = 1;
    static constexpr int kMaxScale = 16; // a 4096-cell grid then makes a 65536-pixel image

    // frameCount decides the names: one frame is written to target itself, several to target
    // with -0001, -0002 ... inserted before the extension.
    CPngWriter(std::string target, int frameCount, int scale);
    // One frame, put into out at the commit; a second frame is refused. name is what messages
    // call the stream.
    CPngWriter(std::ostream& out, std::string name, int scale);
    ~CPngWriter();
    CPngWriter(const CPngWriter&) = delete;
    CPngWriter& operator=(const CPngWriter&) = delete;

    bool WriteFrame(const SceneFrame& frame);
    bool Commit();
    const std::string& Error() const { return m_strError; }

    static std::string FrameFileName(const std::string& target, int index, int frameCount);

private:
    bool WriteFrameToStream(const SceneFrame& frame);
    void RemoveAll();

    std::string m_strTarget;
    int m_nFrames;
    int m_nScale;
    std::vector<std::pair<std::string, std::string>> m_files; // temporary name, final name
    std::ostream* m_pStream = nullptr;
    std::vector<char> m_encoded; // the stream's frame, whole
    bool m_bEncoded = false;
    bool m_bCommitted = false;
    std::string m_strError;
};

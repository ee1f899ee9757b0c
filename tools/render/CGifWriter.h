#pragma once

// Writes the frames of a script as one animated GIF that loops forever. A frame of the water
// holds at most 64 distinct pixel words, so one global colour table of the colours actually used
// keeps every pixel exact. The table is known only when the last frame is in, so the frames are
// kept, one palette index per cell, until Commit() encodes them into a hidden temporary file and
// renames it into place; a failure at any point leaves no file behind.

#include "tools/render/SceneDirective.h"
#include "tools/render/SceneFrame.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct GifFileType;

class CGifWriter {
public:
    static constexpr int kMaxColours = 256;    // the most a GIF colour table can hold
    static constexpr int kMaxSide = 65535;     // a GIF's width and height are 16-bit
    static constexpr int kMinDelay = 1;        // hundredths of a second: the shortest a frame shows
    static constexpr int kMaxDelay = 65535;    // 655.35 s, the longest a GIF can say
    static constexpr int kLoneFrameDelay = 10; // a single frame shows for the program's 100 ms
    static constexpr std::uint16_t kBlack = 0; // fills the rest of a frame smaller than the screen

    CGifWriter(std::string target, int scale);
    ~CGifWriter();
    CGifWriter(const CGifWriter&) = delete;
    CGifWriter& operator=(const CGifWriter&) = delete;

    bool AddFrame(const SceneFrame& frame);
    // Encodes the frames and puts the GIF in place. Without frames nothing is written.
    bool Commit();
    // Takes a committed GIF away again, when an output written after it has failed.
    void Withdraw();
    const std::string& Error() const { return m_strError; }

    // The delay of a frame shown for gapMs milliseconds, in hundredths of a second: rounded to
    // the nearest, half up, and kept within kMinDelay..kMaxDelay.
    static int DelayFor(std::uint32_t gapMs);
    // Checks before anything is rendered that the frames of a script can make a GIF: each frame
    // must come later than the one before, and the widest and tallest frame must fit a GIF at
    // this scale. Returns "LINE: what is wrong", or an empty string.
    static std::string CheckScene(const std::vector<SceneDirective>& directives, int scale);

private:
    struct StoredFrame {
        std::uint32_t tick;
        int width;
        int height;
        std::vector<std::uint8_t> indices; // width x height, row 0 at the top
    };

    int IndexOf(std::uint16_t word);
    bool PlanPalette();
    bool Encode(int fd);
    int PutAnimation(GifFileType* gif);
    int PutFrame(GifFileType* gif, const StoredFrame& frame, std::vector<std::uint8_t>& line);
    void ScaleRow(const StoredFrame& frame, int row, std::vector<std::uint8_t>& line) const;
    int DelayOf(std::size_t frame) const;
    void RemoveTemporary();

    std::string m_strTarget;
    int m_nScale;
    std::vector<StoredFrame> m_frames;
    std::vector<std::uint16_t> m_words;      // the palette, in the order the words first appeared
    std::array<std::int16_t, 32768> m_index; // 15-bit word -> palette index, -1 while unused
    std::vector<std::uint16_t> m_palette;    // the same words in rising order, as written
    std::array<std::uint8_t, kMaxColours> m_remap{}; // first-seen index -> written index
    int m_nBlack = 0;                                // written index of the padding
    int m_nScreenW = 0;                              // the largest frame, in cells
    int m_nScreenH = 0;
    std::string m_strTemp;
    bool m_bCommitted = false;
    std::string m_strError;
};

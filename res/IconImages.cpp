#include "res/IconImage.h"
#include "res/resource.h"

#include <array>
#include <cstring>

namespace {

// The sixteen colours every display can show, in their usual order.
constexpr std::array<std::uint32_t, kIconColours> kPalette = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

// A drop about to meet the water, above the rings of the drop before it: navy outlines (4),
// blue water (c), aqua (e) and white (f) for the light.
constexpr std::array<const char*, 32> kDrop32 = {
    "................................", "................................",
    "................................", "...............44...............",
    "...............44...............", "..............4cc4..............",
    "..............4cc4..............", "............44cccc44............",
    "............4eecccc4............", "...........4effccccc4...........",
    "...........4effccccc4...........", "...........4efeccccc4...........",
    "...........4ceeccccc4...........", "............4cccccc4............",
    "............44cccc44............", "..............4444..............",
    "................................", "................................",
    "..........444444444444..........", "......4444cccccccccccc4444......",
    "....44cccceeeeeeeeeeeecccc44....", "..44ccceeecccccccccccceeeccc44..",
    ".4ccccecccceeeeeeeeeeccccecccc4.", ".4ccceccceecccffffccceeccceccc4.",
    "4ccceccccecccfccccfcccecccceccc4", ".4ccceccceecccffffccceeccceccc4.",
    ".4ccccecccceeeeeeeeeeccccecccc4.", "..44ccceeecccccccccccceeeccc44..",
    "....44cccceeeeeeeeeeeecccc44....", "......4444cccccccccccc4444......",
    "..........444444444444..........", "................................",
};

constexpr std::array<const char*, 16> kDrop16 = {
    "................", "................", ".......44.......", "......4cc4......",
    "......4ec4......", ".....4fecc4.....", "......4cc4......", "......4444......",
    "................", "....44444444....", ".444cceeeecc444.", "4ccceecffceeccc4",
    "4cceccffffccecc4", ".4cceeeeeeeecc4.", "..444444444444..", "................",
};

constexpr std::array kMainImages = {
    IconImage{32, 32, kPalette, kDrop32},
    IconImage{16, 16, kPalette, kDrop16},
};

constexpr std::array kIcons = {
    IconGroup{IDR_MAINFRAME, kMainImages},
};

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

const IconGroup* FindIconGroup(unsigned id) {
    for (const IconGroup& group : kIcons) {
        if (group.id == id) {
            return &group;
        }
    }
    return nullptr;
}

int IconPixelIndex(const IconImage& image, int x, int y) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height ||
        static_cast<std::size_t>(y) >= image.rows.size()) {
        return -1;
    }
    const char* row = image.rows[static_cast<std::size_t>(y)];
    if (std::strlen(row) <= static_cast<std::size_t>(x)) {
        return -1;
    }
    return HexDigitValue(row[x]);
}

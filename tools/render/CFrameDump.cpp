#include "tools/render/CFrameDump.h"

#include <cstdio>

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr int kCharsPerWord = 5; // four hex digits and a space or line end

void AppendWord(std::string& text, std::uint16_t word, char after) {
    text += kHexDigits[(word >> 12) & 15];
    text += kHexDigits[(word >> 8) & 15];
    text += kHexDigits[(word >> 4) & 15];
    text += kHexDigits[word & 15];
    text += after;
}

void AppendSlot(std::string& text, int index, const RippleDrop& drop) {
    char line[128];
    std::snprintf(line, sizeof line, "slot %d %d %.17g %.17g %u\n", index,
                  static_cast<int>(drop.active), drop.x, drop.y, static_cast<unsigned>(drop.tick));
    text += line;
}

} // namespace

std::string CFrameDump::Format(const SceneFrame& frame) {
    std::string text = "frame " + std::to_string(frame.tick) + "\n";
    text.reserve(text.size() + static_cast<std::size_t>(frame.width) *
                                   static_cast<std::size_t>(frame.height) * kCharsPerWord);
    for (int row = 0; row < frame.height; ++row) {
        for (int column = 0; column < frame.width; ++column) {
            AppendWord(text, frame.Pixel(column, row), column + 1 < frame.width ? ' ' : '\n');
        }
    }
    for (int slot = 0; slot < kMaxDrops; ++slot) {
        AppendSlot(text, slot, frame.drops[static_cast<std::size_t>(slot)]);
    }
    return text;
}

#pragma once

// The byte order of Windows' file formats (icon and bitmap files): least significant byte first.

#include <cstdint>
#include <string>

inline void PutWord(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

inline void PutLong(std::string& out, std::uint32_t value) {
    PutWord(out, value & 0xFFFF);
    PutWord(out, value >> 16);
}

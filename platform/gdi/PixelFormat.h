#pragma once

// The water's 16-bit pixel: bit 15 zero, red in bits 10..14, green in bits 5..9, blue in bits
// 0..4. Whatever shows or stores it at 8 bits a channel widens each channel here, so that the
// screen and every picture written to a file agree.

#include <cstdint>

inline constexpr unsigned kChannelMask = 31; // five bits a channel

inline constexpr std::uint16_t PackPixel(int red, int green, int blue) {
    return static_cast<std::uint16_t>(((red & kChannelMask) << 10) | ((green & kChannelMask) << 5) |
                                      (blue & kChannelMask));
}

// The 8-bit value of the 5-bit channel in the low bits of five, made by repeating its top bits:
// 0 stays 0, 31 becomes 255 and the steps between stay even, as Qt converts its 16-bit format.
inline constexpr std::uint8_t WidenChannel(unsigned five) {
    return static_cast<std::uint8_t>(((five & kChannelMask) << 3) | ((five & kChannelMask) >> 2));
}

// A pixel at 8 bits a channel, 0x00RRGGBB, as a 32-bit bitmap and Qt's 32-bit formats hold it
// (Qt's with the top byte opaque); bit 15 is not colour and is left out.
inline constexpr std::uint32_t WidenPixel(std::uint16_t pixel) {
    return (std::uint32_t{WidenChannel(pixel >> 10u)} << 16) |
           (std::uint32_t{WidenChannel(pixel >> 5u)} << 8) | WidenChannel(pixel);
}

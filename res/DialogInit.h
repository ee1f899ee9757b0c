#pragma once

// A dialog's initialisation data (the DLGINIT resource): messages the dialog manager sends to
// its controls once they exist, such as the strings a list starts with.

#include <cstdint>
#include <span>

// The 16-bit message numbers the resource keeps: add a string to a combo box or list box.
inline constexpr std::uint16_t kDlgInitComboAddString = 0x0403;
inline constexpr std::uint16_t kDlgInitListAddString = 0x0401;

struct DialogInitEntry {
    std::uint16_t controlId;
    std::uint16_t message;
    const char* data; // the string to add
};

// The entries for dialog dialogId, in order; empty when it has none.
std::span<const DialogInitEntry> FindDialogInit(unsigned dialogId);

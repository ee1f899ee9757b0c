#pragma once

#include "windef.h"

// Mouse positions travel as two signed 16-bit halves, so points left of or above the client
// area come back negative.
inline constexpr int GET_X_LPARAM(LPARAM lParam) {
    return static_cast<std::int16_t>(LOWORD(static_cast<std::uintptr_t>(lParam)));
}
inline constexpr int GET_Y_LPARAM(LPARAM lParam) {
    return static_cast<std::int16_t>(HIWORD(static_cast<std::uintptr_t>(lParam)));
}

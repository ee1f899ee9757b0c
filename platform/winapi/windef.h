#pragma once

// The plain value types that the window and graphics calls trade in, under the Windows SDK's
// names and with its widths: LONG, and so every RECT, stays 32 bits.

#include <cstdint>

using BOOL = std::int32_t;
#define TRUE 1
#define FALSE 0

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = std::uint32_t;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using LPSTR = char*;
using LPCSTR = const char*;

// The calling convention of functions the system calls back; only 32-bit Windows has one.
#define CALLBACK

// Edges in pixels; a point is inside when left <= x < right and top <= y < bottom.
struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
static_assert(sizeof(RECT) == 16);

struct POINT {
    LONG x;
    LONG y;
};

using LPRECT = RECT*;
using LPPOINT = POINT*;

// Handles are opaque pointers to the records of the layer beneath.
struct WindowObject;
struct IconObject;
struct MenuObject;
struct InstanceObject;
using HANDLE = void*; // any of the handles below, where a call takes more than one kind
using HWND = WindowObject*;
using HICON = IconObject*;
using HCURSOR = HICON; // a cursor is an icon with a hot spot, and the drag icon is returned as one
using HMENU = MenuObject*;
using HINSTANCE = InstanceObject*;
using HMODULE = HINSTANCE;

inline constexpr WORD LOWORD(std::uintptr_t value) {
    return static_cast<WORD>(value & 0xFFFF);
}
inline constexpr WORD HIWORD(std::uintptr_t value) {
    return static_cast<WORD>((value >> 16) & 0xFFFF);
}
inline constexpr WORD MAKEWORD(BYTE low, BYTE high) {
    return static_cast<WORD>(low | (high << 8));
}
inline constexpr WPARAM MAKEWPARAM(WORD low, WORD high) {
    return static_cast<WPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}
inline constexpr LPARAM MAKELPARAM(WORD low, WORD high) {
    return static_cast<LPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}

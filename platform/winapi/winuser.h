#pragma once

// The window system's handles, messages, styles and small helpers, under the names the dialog
// code uses. Nothing here needs Qt; the objects behind the handles live in the platform layer.

#include "platform/winapi/windef.h"
#include "platform/winapi/wingdi.h"

#include <functional>

// Handles are opaque pointers to the platform's own records.
struct WindowObject;
struct IconObject;
struct MenuObject;
struct InstanceObject;
using HWND = WindowObject*;
using HICON = IconObject*;
using HCURSOR = HICON; // a cursor is an icon with a hot spot, and the drag icon is returned as one
using HMENU = MenuObject*;
using HINSTANCE = InstanceObject*;

using LPRECT = RECT*;
using LPPOINT = POINT*;
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);
// The window procedure of the object bound to a window: every message of the window comes to it.
using WindowProcFn = std::function<LRESULT(UINT, WPARAM, LPARAM)>;

inline constexpr WORD LOWORD(std::uintptr_t value) {
    return static_cast<WORD>(value & 0xFFFF);
}
inline constexpr WORD HIWORD(std::uintptr_t value) {
    return static_cast<WORD>((value >> 16) & 0xFFFF);
}
inline constexpr WPARAM MAKEWPARAM(WORD low, WORD high) {
    return static_cast<WPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}
inline constexpr LPARAM MAKELPARAM(WORD low, WORD high) {
    return static_cast<LPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}
// Mouse positions travel as two signed 16-bit halves, so points left of or above the client
// area come back negative.
inline constexpr int GET_X_LPARAM(LPARAM lParam) {
    return static_cast<std::int16_t>(LOWORD(static_cast<std::uintptr_t>(lParam)));
}
inline constexpr int GET_Y_LPARAM(LPARAM lParam) {
    return static_cast<std::int16_t>(HIWORD(static_cast<std::uintptr_t>(lParam)));
}

// Messages.
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_ICONERASEBKGND = 0x0027;
inline constexpr UINT WM_QUERYDRAGICON = 0x0037;
inline constexpr UINT WM_SETICON = 0x0080;
inline constexpr UINT WM_NCDESTROY = 0x0082; // the last message a window gets
inline constexpr UINT WM_INITDIALOG = 0x0110;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;

// Button and combo box messages, their answers and notifications.
inline constexpr UINT BM_GETCHECK = 0x00F0;
inline constexpr UINT BM_SETCHECK = 0x00F1;
inline constexpr int BST_UNCHECKED = 0;
inline constexpr int BST_CHECKED = 1;
inline constexpr int BST_INDETERMINATE = 2;
inline constexpr UINT CB_ADDSTRING = 0x0143;
inline constexpr UINT CB_GETCOUNT = 0x0146;
inline constexpr UINT CB_GETCURSEL = 0x0147;
inline constexpr UINT CB_SETCURSEL = 0x014E;
inline constexpr int CB_ERR = -1;
inline constexpr UINT BN_CLICKED = 0;
inline constexpr UINT CBN_SELCHANGE = 1;

// System commands; the low four bits are the system's own, so compare nID & 0xFFF0.
inline constexpr UINT SC_MINIMIZE = 0xF020;
inline constexpr UINT SC_MAXIMIZE = 0xF030;
inline constexpr UINT SC_CLOSE = 0xF060;
inline constexpr UINT SC_RESTORE = 0xF120;

// WM_SIZE types.
inline constexpr UINT SIZE_RESTORED = 0;
inline constexpr UINT SIZE_MINIMIZED = 1;
inline constexpr UINT SIZE_MAXIMIZED = 2;

// WM_LBUTTONDOWN key flags.
inline constexpr UINT MK_LBUTTON = 0x0001;
inline constexpr UINT MK_SHIFT = 0x0004;
inline constexpr UINT MK_CONTROL = 0x0008;

// WM_SETICON slots.
inline constexpr WPARAM ICON_SMALL = 0;
inline constexpr WPARAM ICON_BIG = 1;

// Menu item flags.
inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_GRAYED = 0x0001;
inline constexpr UINT MF_SEPARATOR = 0x0800;

// Message boxes and dialog end codes.
inline constexpr UINT MB_OK = 0x0000;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr UINT ID_HELP = 0xE146;

// GetSystemMetrics indices.
inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;
inline constexpr int SM_CXSMICON = 49;
inline constexpr int SM_CYSMICON = 50;

// Window styles. On a top-level window 0x00020000 and 0x00010000 are the minimise and maximise
// boxes; on a control the same bits are the group start and the tab stop.
inline constexpr DWORD WS_POPUP = 0x80000000;
inline constexpr DWORD WS_CHILD = 0x40000000;
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_DISABLED = 0x08000000;
inline constexpr DWORD WS_CAPTION = 0x00C00000;
inline constexpr DWORD WS_VSCROLL = 0x00200000;
inline constexpr DWORD WS_SYSMENU = 0x00080000;
inline constexpr DWORD WS_THICKFRAME = 0x00040000;
inline constexpr DWORD WS_GROUP = 0x00020000;
inline constexpr DWORD WS_TABSTOP = 0x00010000;
inline constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
inline constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
inline constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;
inline constexpr DWORD WS_EX_APPWINDOW = 0x00040000;
inline constexpr DWORD DS_SETFONT = 0x0040;
inline constexpr DWORD DS_MODALFRAME = 0x0080;
inline constexpr DWORD BS_TYPEMASK = 0x000F;
inline constexpr DWORD BS_PUSHBUTTON = 0x0000;
inline constexpr DWORD BS_DEFPUSHBUTTON = 0x0001;
inline constexpr DWORD BS_AUTOCHECKBOX = 0x0003;
inline constexpr DWORD SS_TYPEMASK = 0x001F;
inline constexpr DWORD SS_LEFT = 0x0000;
inline constexpr DWORD SS_ICON = 0x0003;
inline constexpr DWORD SS_BLACKFRAME = 0x0007;
inline constexpr DWORD SS_NOPREFIX = 0x0080;
inline constexpr DWORD CBS_DROPDOWNLIST = 0x0003;
inline constexpr DWORD CBS_SORT = 0x0100;

// TRUE while the handle names a window that exists; FALSE for null or destroyed windows.
BOOL IsWindow(HWND hWnd);
// Sends a message to the window and returns its answer; 0 when the window does not exist.
LRESULT SendMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// Icon sizes: 32 x 32 for SM_CXICON / SM_CYICON, 16 x 16 for the small ones, 0 otherwise.
int GetSystemMetrics(int nIndex);
// The program's own icon resource nIDResource (the instance is ignored: there is one module).
// Icons are shared and live for the whole process; null when there is no such icon.
HICON LoadIcon(HINSTANCE hInstance, UINT nIDResource);
// Draws the icon's large image with its top-left corner at (x, y). Only device contexts of a
// paint in progress (CPaintDC) can take it; FALSE for any other.
BOOL DrawIcon(HDC hDC, int x, int y, HICON hIcon);
// The window's system menu; with bRevert TRUE the added items are dropped and null comes back.
HMENU GetSystemMenu(HWND hWnd, BOOL bRevert);
// Appends an item (MF_STRING with an id and text, or MF_SEPARATOR) to the end of the menu.
BOOL AppendMenu(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, const char* lpNewItem);

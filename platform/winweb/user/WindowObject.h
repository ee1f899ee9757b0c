#pragma once

// The record behind a window handle in the browser: the page element that shows the window, its
// procedure, and the state the window system keeps per window. Places are kept here in device
// pixels, as the program sees them; the page shows them in its own CSS pixels.

#include "platform/winqt/user/MenuObject.h"

#include <windows.h>

#include <memory>
#include <vector>

enum class WindowKind { Dialog, Button, Static, ComboBox };

struct WindowObject {
    WindowKind kind = WindowKind::Dialog;
    // The window's procedure: its class's, until somebody subclasses the window.
    WNDPROC wndProc = nullptr;
    WindowObject* parent = nullptr;
    std::vector<WindowObject*> children; // in template order
    int id = 0;
    int element = 0; // the page element's number
    DWORD style = 0;
    DWORD exStyle = 0;
    int itemCount = 0; // a combo box's
    // A child's place in its parent's client area; a top-level window's client area at 0, 0.
    RECT placed{};

    // Dialogs only.
    DLGPROC dlgProc = nullptr; // what the dialog manager asks first about every message
    INT_PTR endResult = -1;    // what EndDialog was given
    bool ended = false;
    std::unique_ptr<MenuObject> systemMenu;
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    // What needs painting, and whether any of it asked for an erase first.
    std::vector<RECT> invalid;
    bool eraseAsked = false;
    bool painting = false; // between BeginPaint and EndPaint
    int lastCx = -1;       // the last size WM_SIZE told, so that repeats are left out
    int lastCy = -1;
};

// Makes the record a live window with a page element of its own; the registry owns it now.
HWND RegisterWindow(std::unique_ptr<WindowObject> window);
// The record of a live window; null for null, stale or foreign handles.
WindowObject* FindWindowObject(HWND hWnd);
// The live window shown by this page element; null when there is none.
WindowObject* FindWindowOfElement(int element);
// The child of parent with this control id; null when there is none.
WindowObject* FindChildWindow(WindowObject* parent, int id);
// Every live top-level window, oldest first.
std::vector<WindowObject*> TopLevelWindows();
// Ends the window and its children: their handles stop naming windows, each gets WM_NCDESTROY,
// and their elements leave the page.
void DestroyWindowObject(HWND hWnd);

// The sunken edge's width in pixels of an unscaled screen; it grows with the scale.
inline constexpr int kClientEdgeWidth = 2;

// Device pixels per CSS pixel of the page.
double PixelRatio();
// The dots per inch the page's device pixels are laid out at: 96 at a ratio of 1.
UINT PageDpi();
// The width of the window's sunken edge in device pixels; 0 for a window without one.
int ClientEdgeWidth(const WindowObject* window);
// The top-left corner of the window's client area in the page's device pixels, counted from the
// client area of its top-level window.
POINT ClientOrigin(const WindowObject* window);

// Sends WM_COMMAND with (id, code) from the control to its dialog.
void NotifyParent(WindowObject* control, UINT code);

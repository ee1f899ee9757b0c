#pragma once

// The page's part of a window: the element that shows it, and what only the page's windows
// keep. Places are kept here in device pixels, as the program sees them; the page shows them in
// its own CSS pixels.

#include "platform/user/WindowObject.h"

#include <windows.h>

#include <vector>

struct WindowPeer {
    int element = 0;   // the page element's number
    int itemCount = 0; // a combo box's
    // A child's place in its parent's client area; a top-level window's client area at 0, 0.
    RECT placed{};
    INT_PTR endResult = -1; // what EndDialog was given
    // What needs painting, and whether any of it asked for an erase first.
    std::vector<RECT> invalid;
    bool eraseAsked = false;
    bool painting = false; // between BeginPaint and EndPaint
};

// The live window shown by this page element; null when there is none.
WindowObject* FindWindowOfElement(int element);
// Every live top-level window, oldest first.
std::vector<WindowObject*> TopLevelWindows();

// Device pixels per CSS pixel of the page.
double PixelRatio();
// The dots per inch the page's device pixels are laid out at: 96 at a ratio of 1.
UINT PageDpi();
// The top-left corner of the window's client area in the page's device pixels, counted from the
// client area of its top-level window.
POINT ClientOrigin(const WindowObject* window);

#pragma once

#include <windows.h>

struct WindowObject;

// What the window system keeps of a window's paint from BeginPaint to EndPaint: the device
// context it handed out, and whatever draws through it.
class IWindowPaint {
public:
    virtual ~IWindowPaint() = default;
    // Ends the paint's device context hdc. window is the painted window's record, or null when
    // the window has gone before its paint ended.
    virtual void End(HDC hdc, WindowObject* window) = 0;
};

// The paint behind a device context that BeginPaint handed out; null for any other DC.
IWindowPaint* FindWindowPaint(HDC hdc);

#pragma once

#include <windows.h>

struct WindowObject;

// What the window system keeps of a window's paint from BeginPaint to EndPaint.
class IWindowPaint {
public:
    virtual ~IWindowPaint() = default;
    // window is null when the window has gone before its paint ended.
    virtual void End(HDC hdc, WindowObject* window) = 0;
};

// The paint behind a device context that BeginPaint handed out; null for any other DC.
IWindowPaint* FindWindowPaint(HDC hdc);

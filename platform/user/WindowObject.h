#pragma once

// The record behind a window handle, whatever shows the window. The window system beneath (Qt's
// widgets, a web page's elements) keeps its own part in a WindowPeer, which it alone defines and
// reads. Nothing here calls above it: those above find a record by its handle when they need it.

#include "platform/user/DialogState.h"

#include <windows.h>

#include <memory>
#include <vector>

enum class WindowKind { Dialog, Button, Static, ComboBox };

// The window system's own part of a window, made with the record and ended with it.
struct WindowPeer;
struct WindowPeerEnd {
    void operator()(WindowPeer* peer) const;
};

struct WindowObject {
    WindowObject();

    WindowKind kind = WindowKind::Dialog;
    // The window's procedure: its class's, until somebody subclasses the window.
    WNDPROC wndProc = nullptr;
    WindowObject* parent = nullptr;
    std::vector<WindowObject*> children; // in template order
    int id = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    DialogState dialog; // a dialog's alone
    std::unique_ptr<WindowPeer, WindowPeerEnd> peer;
};

// Makes the record a live window; the registry owns it from now on.
HWND RegisterWindow(std::unique_ptr<WindowObject> window);
// The record of a live window; null for null, stale or foreign handles.
WindowObject* FindWindowObject(HWND hWnd);
WindowObject* FindChildWindow(WindowObject* parent, int id);
// Every live window, in no particular order.
std::vector<WindowObject*> LiveWindows();
// Ends the window and its children: their handles stop naming windows, each bound object gets
// WM_NCDESTROY, and the window system lets go of what showed them.
void DestroyWindowObject(HWND hWnd);

// The sunken edge's width in pixels of an unscaled screen, which grows with the scale as the
// window system's edges do.
inline constexpr int kClientEdgeWidth = 2;

// The width of the window's sunken edge in device pixels; 0 for a window without one.
int ClientEdgeWidth(const WindowObject* window);

void NotifyParent(WindowObject* control, UINT code);

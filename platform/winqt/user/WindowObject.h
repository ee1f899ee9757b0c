#pragma once

// The record behind a window handle, for the platform layer only: the widget that shows the
// window, its procedure, and the state the window system keeps
// per window. It is the lowest layer of the windows: it calls nothing above it, and those above
// find their record by handle whenever they need it.

#include "platform/winqt/paint/PaintState.h"
#include "platform/winqt/user/DialogState.h"

#include <windows.h>

#include <QPointer>

#include <memory>
#include <vector>

class QPainter;
class QWidget;

enum class WindowKind { Dialog, Button, Static, ComboBox };

// A widget that wants to hear when its window ends, so as to end itself (hidden by then) at a
// time it knows is safe.
class IWindowWidget {
public:
    virtual void OnWindowDestroyed() = 0;

protected:
    ~IWindowWidget() = default;
};

struct WindowObject {
    WindowKind kind = WindowKind::Dialog;
    // The window's procedure: its class's, until somebody subclasses the window.
    WNDPROC wndProc = nullptr;
    QPointer<QWidget> widget;
    // The same widget as the interface it hears its window's end through, or null when it has
    // none; used only while widget is not null.
    IWindowWidget* widgetEnd = nullptr;
    WindowObject* parent = nullptr;
    std::vector<WindowObject*> children; // in template order
    int id = 0;
    // Where MoveWindow last put the window, in its parent's client area in device pixels, and
    // the device pixel ratio then (0 before any move). The widget's logical place can only come
    // near a rectangle of device pixels on a fractional scale; while the ratio and that place
    // hold, this one is exact.
    struct {
        RECT rect{};
        double ratio = 0;
    } placed;
    DWORD style = 0;
    DWORD exStyle = 0;
    DialogState dialog; // a dialog's alone
    PaintState paint;
};

// Makes the record a live window; the registry owns it from now on.
HWND RegisterWindow(std::unique_ptr<WindowObject> window);
// The record of a live window; null for null, stale or foreign handles.
WindowObject* FindWindowObject(HWND hWnd);
// The widget that shows a live window; null for any other handle, or once the widget has gone.
QWidget* WidgetOfHandle(HWND hWnd);
// The record of the child of parent with this control id; null when there is none.
WindowObject* FindChildWindow(WindowObject* parent, int id);
// Ends the window and its children: their handles stop naming windows, each bound object gets
// WM_NCDESTROY, and the widget is hidden and let go of. A modal loop running for it ends.
void DestroyWindowObject(HWND hWnd);

// The sunken edge's width in pixels of an unscaled screen, which grows with the scale as the
// window system's edges do.
inline constexpr int kClientEdgeWidth = 2;

// Where the window is in device pixels: in its parent's client area for a child, its client
// area on the screen for a top-level window. Empty for a window without a widget.
RECT ClientDeviceRect(const WindowObject* window);
// The top-left corner of the window's client area on the screen, in device pixels: inside its
// sunken edge, for a child that has one.
POINT ClientOriginOnScreen(const WindowObject* window);
// The width of the window's sunken edge in device pixels; 0 for a window without one.
int ClientEdgeWidth(const WindowObject* window);

// Sends WM_COMMAND with (id, code) from the control to its dialog.
void NotifyParent(WindowObject* control, UINT code);

// The painter of a paint DC made by BeginPaint; null for any other DC.
QPainter* PainterOfPaintDC(HDC hdc);

#pragma once

// Qt's part of a window: the widget that shows it, and what only Qt's windows keep.

#include "platform/user/WindowObject.h"
#include "platform/winqt/paint/PaintState.h"

#include <windows.h>

#include <QPointer>

class QMenu;
class QPainter;
class QWidget;

// A widget that wants to hear when its window ends, so as to end itself (hidden by then) at a
// time it knows is safe.
class IWindowWidget {
public:
    virtual void OnWindowDestroyed() = 0;

protected:
    ~IWindowWidget() = default;
};

struct WindowPeer {
    QPointer<QWidget> widget;
    // The same widget as the interface it hears its window's end through, or null when it has
    // none; used only while widget is not null.
    IWindowWidget* widgetEnd = nullptr;
    // Where MoveWindow last put the window, in its parent's client area in device pixels, and
    // the device pixel ratio then (0 before any move). The widget's logical place can only come
    // near a rectangle of device pixels on a fractional scale; while the ratio and that place
    // hold, this one is exact.
    struct {
        RECT rect{};
        double ratio = 0;
    } placed;
    QPointer<QMenu> openMenu; // a dialog's window menu, while it is open
    PaintState paint;
};

// The widget that shows a live window; null for any other handle, or once the widget has gone.
QWidget* WidgetOfHandle(HWND hWnd);

// Where the window is in device pixels: in its parent's client area for a child, its client
// area on the screen for a top-level window. Empty for a window without a widget.
RECT ClientDeviceRect(const WindowObject* window);
// The top-left corner of the window's client area on the screen, in device pixels: inside its
// sunken edge, for a child that has one.
POINT ClientOriginOnScreen(const WindowObject* window);

// The painter of a paint DC made by BeginPaint; null for any other DC.
QPainter* PainterOfPaintDC(HDC hdc);

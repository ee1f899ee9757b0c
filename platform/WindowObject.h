#pragma once

// The record behind a window handle, for the platform layer only: the widget that shows the
// window, the C++ object bound to it, and the state the window system keeps per window.

#include "platform/WinUser.h"

#include <QPointer>

#include <map>
#include <memory>
#include <vector>

class CWnd;
class QMenu;
class QPaintEvent;
class QPainter;
class QWidget;

enum class WindowKind { Dialog, Button, Static, ComboBox };

struct WindowTimer {
    int qtTimerId;
    TIMERPROC callback;
};

struct WindowObject {
    WindowKind kind = WindowKind::Dialog;
    QPointer<QWidget> widget;
    CWnd* pWnd = nullptr; // the object bound to the window, if any
    WindowObject* parent = nullptr;
    std::vector<WindowObject*> children; // in template order
    int id = 0;
    DWORD style = 0;
    DWORD exStyle = 0;

    // Dialogs only.
    std::map<UINT_PTR, WindowTimer> timers;
    std::unique_ptr<MenuObject> systemMenu;
    QPointer<QMenu> openMenu;
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    bool ended = false;
    bool inModalLoop = false;
    QPaintEvent* paintEvent = nullptr; // set while a WM_PAINT is being handled
    QPainter* painter = nullptr;       // the paint DC's painter, while one is held
    UINT lastSizeType = ~0U;           // the last WM_SIZE sent, so that repeats are left out
    int lastCx = -1;
    int lastCy = -1;
};

// Makes the record a live window; the registry owns it from now on.
HWND RegisterWindow(std::unique_ptr<WindowObject> window);
// The record of a live window; null for null, stale or foreign handles.
WindowObject* FindWindowObject(HWND hWnd);
// The record of the child of parent with this control id; null when there is none.
WindowObject* FindChildWindow(WindowObject* parent, int id);
// Ends the window and its children: unbinds their objects, stops their timers and lets go of
// the widgets. A modal loop running for the window ends.
void DestroyWindowObject(HWND hWnd);

// The message being handled, for CWnd::Default.
struct CurrentMessage {
    HWND hWnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};
const CurrentMessage& GetCurrentMessage();

// What the window system does with a message nobody handled, by the kind of window.
LRESULT DefaultWindowProc(WindowObject* window, UINT message, WPARAM wParam, LPARAM lParam);

// Sends WM_COMMAND with (id, code) from the control to its dialog.
void NotifyParent(WindowObject* control, UINT code);

// The painter of a paint DC made by CPaintDC; null for any other DC.
QPainter* PainterOfPaintDC(HDC hdc);

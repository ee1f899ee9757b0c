#pragma once

// What the window system beneath the generic windows does in its own way: Qt's widgets on the
// desktop, a web page's elements in a browser. Each of them defines every call here once, and a
// program links exactly one of them, as a window-system driver stands behind one table of calls.

#include "res/DialogTemplate.h"

#include <windows.h>

#include <memory>

class IWindowPaint;
struct MenuItem;
struct WindowPeer;

// A new window's own part, empty until the window system shows the window.
WindowPeer* NewWindowPeer();

// The window is out of the registry and about to get WM_NCDESTROY.
void OnWindowEnding(WindowObject* window);
// The window and its children have all had WM_NCDESTROY; what showed them goes now.
void OnWindowEnded(WindowObject* window);

UINT DpiOfWindow(const WindowObject* window);
// The top-left corner of the window's client area on the screen in device pixels; false for a
// window that shows nowhere.
bool ClientOriginOf(const WindowObject* window, POINT* origin);

// Begins the window's paint: fills in paint's DC (which draws on the window, cut to what needs
// painting), rcPaint and fErase, and gives back what ends it; null when the window cannot
// paint now.
std::unique_ptr<IWindowPaint> BeginWindowPaint(WindowObject* window, PAINTSTRUCT* paint);

// SC_MINIMIZE, SC_MAXIMIZE or SC_RESTORE, where the window system can.
void ShowWindowCommand(WindowObject* dialog, UINT command);
// Shows the dialog's icons (dialog.bigIcon and dialog.smallIcon) where the window system does.
void ShowWindowIcon(const WindowObject* dialog);
// What the dialog class does with the messages the generic one leaves alone.
LRESULT DefaultDialogMessage(WindowObject* dialog, UINT message, WPARAM wParam, LPARAM lParam);

bool IsChecked(const WindowObject* box);
void SetChecked(WindowObject* box, bool checked);
// A combo box's list; the selected item is -1 for none.
int ItemCount(const WindowObject* combo);
int SelectedItem(const WindowObject* combo);
void SelectItem(WindowObject* combo, int index);
// Adds an item at the end of the list; its place, or CB_ERR.
LRESULT AddItem(WindowObject* combo, const char* text);

// Builds the dialog's window and controls from its template: the controls in template order
// with their places, visibility and tab stops. The dialog's messages go to classProc, which
// keeps dialogProc for them. The window is not shown yet and WM_INITDIALOG has not been sent;
// WM_SIZE has. Returns null when the window cannot be made.
HWND BuildDialog(const DialogTemplate& dialogTemplate, HWND owner, WNDPROC classProc,
                 DLGPROC dialogProc);
void FocusControl(const WindowObject* control);
// Shows the dialog and runs it until EndDialog; what EndDialog was given, or kNoDialogResult
// when the dialog could not run.
INT_PTR RunModalDialog(HWND hDlg);
// Ends a dialog's modal loop with this result, once it runs or as soon as it would.
void EndModalDialog(WindowObject* dialog, INT_PTR result);

// The item was appended to the menu.
void ShowMenuItem(HMENU menu, const MenuItem& item);

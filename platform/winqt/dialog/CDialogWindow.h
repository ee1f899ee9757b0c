#pragma once

// The widget of a dialog: turns Qt's events into the window messages of its handle, one at a
// time, and keeps Qt's own dialog habits (closing on Escape, accepting on Enter) out of the way.

#include "platform/winqt/user/WindowPeer.h"

#include <QDialog>

class CDialogWindow : public QDialog, public IWindowWidget {
public:
    // A widget for the window hWnd, which it shows once the window's record names it.
    CDialogWindow(QWidget* parent, Qt::WindowFlags flags, HWND hWnd);

    // The record of that window; null before it names this widget and once the window has ended.
    WindowObject* Window() const;

    // Sends WM_SIZE for the current state and size, unless that is what was sent last.
    void SendSize();

    // Ends the dialog's modal loop with the end code EndDialog was given, which stays here for
    // the dialog manager once the window has gone.
    void End(INT_PTR nResult);
    INT_PTR EndResult() const { return m_nEndResult; }

    int exec() override;
    // Whatever in Qt would end the dialog by itself asks the program instead, as the buttons do.
    void accept() override { SendCommand(IDOK); }
    void reject() override { SendCommand(IDCANCEL); }
    // Ends a running modal loop, and the widget itself once that and any event it is handling
    // have returned.
    void OnWindowDestroyed() override;

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    void EraseBackground(const QRegion& region, WindowObject* window);
    void SendCommand(int id);
    int DefaultCommandId() const;

    const HWND m_hWnd;
    int m_nBusyDepth = 0; // events being handled and modal loops running
    INT_PTR m_nEndResult = -1;
};

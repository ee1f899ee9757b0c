#pragma once

// The widget of a dialog: turns Qt's events into the window messages of its handle, one at a
// time, and keeps Qt's own dialog habits (closing on Escape, accepting on Enter) out of the way.

#include "platform/WindowObject.h"

#include <QDialog>

class CDialogWindow : public QDialog {
public:
    CDialogWindow(QWidget* parent, Qt::WindowFlags flags);

    void Attach(WindowObject* window) { m_pWindow = window; }
    // From now on events reach no handle.
    void Detach() { m_pWindow = nullptr; }
    WindowObject* Window() const { return m_pWindow; }

    // Starts or restarts the timer nIDEvent; false when Qt cannot make it.
    bool StartTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer);
    // Ends a running modal loop (QDialog::exec) with the window's end code.
    void EndModalLoop(int nResult = 0);
    bool IsHandlingEvent() const { return m_nEventDepth > 0; }
    // Sends WM_SIZE for the current state and size, unless that is what was sent last.
    void SendSize();

    void accept() override;
    void reject() override;

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void timerEvent(QTimerEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    // The frames of black-frame statics, which lie beneath what the dialog paints.
    void DrawFrames();
    void SendButtonDown(QMouseEvent* e);
    void SendCommand(int id);
    int DefaultCommandId() const;

    WindowObject* m_pWindow = nullptr;
    int m_nEventDepth = 0;
};

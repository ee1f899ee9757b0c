#pragma once

// Under X a window manager maps a top-level window when the program asks for it. openbox has
// been seen to leave that request unanswered now and then, on a freshly started X server: the
// program then runs on with no window for a person to see. This asks again, every couple of
// seconds, until the window is mapped or the window manager has taken it (WM_STATE).

#include <QObject>
#include <QPointer>

class QWidget;
struct xcb_connection_t;

class CXWindowMapper : public QObject {
public:
    // Watches a top-level widget that is being shown; does nothing off X.
    static void Watch(QWidget* widget);

private:
    CXWindowMapper(QWidget* widget, xcb_connection_t* connection);
    void timerEvent(QTimerEvent* event) override;
    bool Shown() const;

    QPointer<QWidget> m_pWidget;
    xcb_connection_t* m_pConnection;
    int m_nChecks = 0;
};

#pragma once

// The picture as the X server draws it: a child window of the program's own over the part of the
// dialog's window the picture covers, where the server fills each cell that changed as a solid
// rectangle of its colour. The picture is a few dozen colours in cells of many pixels each, so a
// frame costs a few thousand small fills instead of a copy of every device pixel into Qt's
// backing store and from there to the server. The window takes no input: clicks on it reach the
// dialog's window.

#include "platform/winqt/paint/CPictureSink.h"
#include "platform/winqt/paint/GdiQt.h"
#include "platform/winqt/picture/CXCellFills.h"

#include <QAbstractNativeEventFilter>
#include <QRect>

#include <cstdint>
#include <memory>
#include <vector>

class QWidget;
struct xcb_connection_t;

class CXPictureWindow : public QAbstractNativeEventFilter, public CPictureSink {
public:
    // The picture window for the widget's paints; null when the widget is not shown by an X
    // server. It makes nothing on the server before the first copy.
    static std::unique_ptr<CXPictureWindow> Create(QWidget* widget);
    ~CXPictureWindow() override;

    // Within areas, fills the cells that do not show their colour yet. Where the server cannot
    // take the copy, the window is hidden.
    bool Show(HBITMAP bitmap, const AxisMap& columns, const AxisMap& rows,
              const std::vector<QRect>& areas) override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    CXPictureWindow(QWidget* widget, xcb_connection_t* connection);
    bool MakeWindow();
    bool Place(const AxisMap& columns, const AxisMap& rows);
    void Withdraw() override;

    xcb_connection_t* m_pConnection = nullptr;
    std::uint32_t m_nParent = 0; // the widget's window when ours was made
    std::uint32_t m_nWindow = 0;
    std::uint32_t m_nGc = 0;
    bool m_bMapped = false;
    bool m_bFailed = false; // the server's visual is one this class cannot fill
    // How each 5-bit channel becomes part of a pixel of the server's visual.
    std::uint32_t m_redOf[32] = {};
    std::uint32_t m_greenOf[32] = {};
    std::uint32_t m_blueOf[32] = {};
    std::uint32_t m_nOpaque = 0;

    QRect m_rcPlace;     // the window's place among the widget window's device pixels
    CXCellFills m_cells; // what the window shows, and the fills that update it
};

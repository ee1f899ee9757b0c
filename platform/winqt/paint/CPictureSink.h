#pragma once

// Where a window's paint copy of the picture goes, once the copy has worked out the source pixel
// of every device pixel and the areas to bring up to date: Qt's backing store through the
// painter, or, where the window system can show the picture more cheaply, a surface of the
// program's own over the device pixels the picture covers. Every sink shows the same pixels.

#include "platform/winqt/paint/GdiQt.h"

#include <windows.h>

#include <QRect>

#include <vector>

class QPainter;

class CPictureSink {
public:
    virtual ~CPictureSink() = default;

    // Whether a copy through this painter lands on the screen, where the sink can take it: not a
    // grab or a render of the widget into a picture of its own.
    virtual bool Serves(const QPainter& painter) const = 0;
    // A paint of the widget starts, and ends; one that showed no picture through the sink takes
    // the sink's picture away.
    void BeginPaint() { m_bShownThisPaint = false; }
    void EndPaint() {
        if (!m_bShownThisPaint) {
            Withdraw();
        }
    }
    // Shows the 16-bit bitmap (rows bottom-up, 5-5-5) scaled by columns and rows, the source
    // pixel of every device pixel of the widget's window that the copy covers; areas (the
    // paint's clip, device pixels) are what must be brought up to date. False when the sink
    // cannot take the copy; the caller then draws it.
    virtual bool Show(HBITMAP bitmap, const AxisMap& columns, const AxisMap& rows,
                      const std::vector<QRect>& areas) = 0;
    // Brings the picture's part of the widget up to date itself, without a paint of the widget,
    // when rect (device pixels, invalidated without erase) lies wholly on what it shows: true
    // when it does. The bitmap of the last copy must still be the one the window paints.
    virtual bool Repaint(const QRect& /*rect*/) { return false; }

protected:
    // Show has put the picture on the screen in this paint.
    void ShownThisPaint() { m_bShownThisPaint = true; }
    // Leaves the widget's own pixels where the picture was.
    virtual void Withdraw() {}

private:
    bool m_bShownThisPaint = false;
};

#pragma once

// Where a window's paint copy of the picture goes, once the copy has worked out the source pixel
// of every device pixel and the areas to bring up to date: a surface of the program's own over
// the device pixels the picture covers, where the window system shows it more cheaply than
// through Qt's backing store. It shows the same pixels the painter (CPainterPicture) would.

#include "platform/winqt/paint/DevicePixels.h"
#include "platform/winqt/paint/GdiQt.h"

#include <windows.h>

#include <QBackingStore>
#include <QPaintEngine>
#include <QPainter>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <vector>

class CPictureSink {
public:
    virtual ~CPictureSink() = default;

    // Whether a copy through this painter lands on the widget's window on the screen: not a grab
    // or a render of the widget into a picture of its own. A store that was never sized has no
    // pixels yet, and on a scaled screen Qt 6.4 cannot even be asked for them.
    bool Serves(const QPainter& painter) const {
        const QPaintEngine* engine = painter.paintEngine();
        QBackingStore* store = m_pWidget != nullptr ? m_pWidget->backingStore() : nullptr;
        return engine != nullptr && store != nullptr && !store->size().isEmpty() &&
               engine->paintDevice() == store->paintDevice();
    }
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
    explicit CPictureSink(QWidget* widget) : m_pWidget(widget) {}
    // Show has put the picture on the screen in this paint.
    void ShownThisPaint() { m_bShownThisPaint = true; }
    // Leaves the widget's own pixels where the picture was.
    virtual void Withdraw() = 0;
    // Has the widget paint again the logical pixels over device, device pixels of its window.
    void RepaintWidget(const QRect& device) {
        if (m_pWidget != nullptr) {
            m_pWidget->update(LogicalCover(device, DeviceRatioOf(m_pWidget)));
        }
    }

    QPointer<QWidget> m_pWidget;

private:
    bool m_bShownThisPaint = false;
};

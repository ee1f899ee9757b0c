#pragma once

// Where a window's paint copy of the picture goes: a surface of the program's own that the window
// system shows more cheaply than Qt's backing store, with the pixels PaintPicture would draw.

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

    // Whether a copy through this painter lands on the widget's window on the screen, not a grab
    // or a render. A store never sized has no pixels, and on a scaled screen Qt 6.4 cannot even be
    // asked for them.
    bool Serves(const QPainter& painter) const {
        const QPaintEngine* engine = painter.paintEngine();
        QBackingStore* store = m_pWidget != nullptr ? m_pWidget->backingStore() : nullptr;
        return engine != nullptr && store != nullptr && !store->size().isEmpty() &&
               engine->paintDevice() == store->paintDevice();
    }
    // A paint that showed no picture through the sink takes the sink's picture away.
    void BeginPaint() { m_bShownThisPaint = false; }
    void EndPaint() {
        if (!m_bShownThisPaint) {
            Withdraw();
        }
    }
    // Shows the 16-bit bitmap scaled by the axis maps over the widget window's device pixels;
    // areas (the paint's clip, device pixels) must be brought up to date. False when the sink
    // cannot take the copy; the caller then draws it.
    virtual bool Show(HBITMAP bitmap, const AxisMap& columns, const AxisMap& rows,
                      const std::vector<QRect>& areas) = 0;
    // Brings rect (device pixels, invalidated without erase) up to date without a paint of the
    // widget, when it lies wholly on the picture: true when it does. The last copy's bitmap must
    // still be the one the window paints.
    virtual bool Repaint(const QRect& /*rect*/) { return false; }

protected:
    explicit CPictureSink(QWidget* widget) : m_pWidget(widget) {}
    void ShownThisPaint() { m_bShownThisPaint = true; }
    // Leaves the widget's own pixels where the picture was.
    virtual void Withdraw() = 0;
    // Has the widget paint again the logical pixels over device pixels of its window.
    void RepaintWidget(const QRect& device) {
        if (m_pWidget != nullptr) {
            m_pWidget->update(LogicalCover(device, DeviceRatioOf(m_pWidget)));
        }
    }

    QPointer<QWidget> m_pWidget;

private:
    bool m_bShownThisPaint = false;
};

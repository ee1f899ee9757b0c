#include "platform/user/IWindowPaint.h"
#include "platform/user/WindowSystem.h"
#include "platform/winqt/paint/DevicePixels.h"
#include "platform/winqt/paint/GdiQt.h"
#include "platform/winqt/picture/CWaylandPicture.h"
#include "platform/winqt/picture/CXPictureWindow.h"
#include "platform/winqt/user/WindowPeer.h"

#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

#include <memory>

// The paint of a window: its DC draws on the window's widget, inside the paint event that Qt
// is delivering as WM_PAINT.

namespace {

// A window's paint: the painter on its widget that the paint DC draws with, ended with the DC
// even after the window has gone.
class CPainterPaint : public IWindowPaint {
public:
    explicit CPainterPaint(std::unique_ptr<QPainter> painter) : m_pPainter(std::move(painter)) {}

    QPainter* Painter() const { return m_pPainter.get(); }

    void End(HDC hdc, WindowObject* window) override {
        ReleasePainterDC(hdc);
        if (window != nullptr && window->peer->paint.painter == m_pPainter.get()) {
            window->peer->paint.painter = nullptr;
            if (window->peer->paint.pictureSink != nullptr) {
                window->peer->paint.pictureSink->EndPaint();
            }
        }
        m_pPainter->end();
    }

private:
    std::unique_ptr<QPainter> m_pPainter;
};

} // namespace

QPainter* PainterOfPaintDC(HDC hdc) {
    // Every paint begun here is a CPainterPaint: the program links this window system alone.
    const auto* paint = static_cast<CPainterPaint*>(FindWindowPaint(hdc));
    return paint == nullptr ? nullptr : paint->Painter();
}

std::unique_ptr<IWindowPaint> BeginWindowPaint(WindowObject* window, PAINTSTRUCT* paint) {
    // Only the window's own paint, and only once in it.
    if (window->peer->paint.event == nullptr || window->peer->paint.painter != nullptr ||
        window->peer->widget == nullptr) {
        return nullptr;
    }
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(window->peer->widget)) {
        return nullptr;
    }
    // As the window system's paint DC is, this one is clipped to the part of the window that
    // needs painting, so that a copy onto it knows how little it has to do.
    const QRegion region = window->peer->paint.event->region();
    painter->setClipRegion(region);
    if (window->peer->paint.pictureSink == nullptr) {
        window->peer->paint.pictureSink = CXPictureWindow::Create(window->peer->widget);
    }
    if (window->peer->paint.pictureSink == nullptr) {
        window->peer->paint.pictureSink = CWaylandPicture::Create(window->peer->widget);
    }
    // The window system's surface takes the paint's copies only when the paint is the window's
    // own, onto its backing store: decided once for the paint, not at each copy.
    CPictureSink* sink = window->peer->paint.pictureSink.get();
    if (sink != nullptr && !sink->Serves(*painter)) {
        sink = nullptr;
    }
    const double ratio = DeviceRatioOf(window->peer->widget);
    HDC hdc = CreatePainterDC(painter.get(), ratio, sink);
    if (hdc == nullptr) {
        painter->end();
        return nullptr;
    }
    window->peer->paint.painter = painter.get();
    if (window->peer->paint.pictureSink != nullptr) {
        window->peer->paint.pictureSink->BeginPaint();
    }
    paint->hdc = hdc;
    // Every device pixel the region's logical pixels reach into.
    const QRect logical = region.boundingRect();
    paint->rcPaint = RectOf(
        QRectF(QPointF(logical.topLeft()) * ratio, QSizeF(logical.size()) * ratio).toAlignedRect());
    return std::make_unique<CPainterPaint>(std::move(painter));
}

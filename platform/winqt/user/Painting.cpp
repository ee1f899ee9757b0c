#include "platform/winqt/paint/DevicePixels.h"
#include "platform/winqt/paint/GdiQt.h"
#include "platform/winqt/picture/CWaylandPicture.h"
#include "platform/winqt/picture/CXPictureWindow.h"
#include "platform/winqt/user/WindowPeer.h"

#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

#include <map>
#include <memory>

// The paint of a window: BeginPaint hands out a device context that draws on the window's
// widget, inside the paint event that Qt is delivering as WM_PAINT.

namespace {

// The painters behind the paint DCs that are held, so that DrawIcon and the icon's background
// can reach them, and EndPaint can end them even after their window has gone.
std::map<HDC, QPainter*>& PaintDCs() {
    static auto* dcs = new std::map<HDC, QPainter*>;
    return *dcs;
}

// The device pixels a logical rectangle reaches into, all of them.
RECT DevicePixelsReached(const QRect& logical, double ratio) {
    const QRect device =
        QRectF(QPointF(logical.topLeft()) * ratio, QSizeF(logical.size()) * ratio).toAlignedRect();
    return RECT{device.left(), device.top(), device.left() + device.width(),
                device.top() + device.height()};
}

} // namespace

QPainter* PainterOfPaintDC(HDC hdc) {
    const auto found = PaintDCs().find(hdc);
    return found == PaintDCs().end() ? nullptr : found->second;
}

HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
    if (lpPaint == nullptr) {
        return nullptr;
    }
    *lpPaint = PAINTSTRUCT{};
    WindowObject* window = FindWindowObject(hWnd);
    // Only the window's own paint, and only once in it.
    if (window == nullptr || window->peer->paint.event == nullptr ||
        window->peer->paint.painter != nullptr || window->peer->widget == nullptr) {
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
    PaintDCs()[hdc] = painter.release();
    if (window->peer->paint.pictureSink != nullptr) {
        window->peer->paint.pictureSink->BeginPaint();
    }
    lpPaint->hdc = hdc;
    lpPaint->rcPaint = DevicePixelsReached(region.boundingRect(), ratio);
    return hdc;
}

BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
    if (lpPaint == nullptr) {
        return FALSE;
    }
    const auto found = PaintDCs().find(lpPaint->hdc);
    if (found == PaintDCs().end()) {
        return FALSE;
    }
    std::unique_ptr<QPainter> painter(found->second);
    PaintDCs().erase(found);
    ReleasePainterDC(lpPaint->hdc);
    if (WindowObject* window = FindWindowObject(hWnd);
        window != nullptr && window->peer->paint.painter == painter.get()) {
        window->peer->paint.painter = nullptr;
        if (window->peer->paint.pictureSink != nullptr) {
            window->peer->paint.pictureSink->EndPaint();
        }
    }
    painter->end();
    return TRUE;
}

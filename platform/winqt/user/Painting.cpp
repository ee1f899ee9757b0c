#include "platform/winqt/paint/DevicePixels.h"
#include "platform/winqt/paint/GdiQt.h"
#include "platform/winqt/picture/CWaylandPicture.h"
#include "platform/winqt/picture/CXPictureWindow.h"
#include "platform/winqt/user/WindowObject.h"

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
    if (window == nullptr || window->paint.event == nullptr || window->paint.painter != nullptr ||
        window->widget == nullptr) {
        return nullptr;
    }
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(window->widget)) {
        return nullptr;
    }
    // As the window system's paint DC is, this one is clipped to the part of the window that
    // needs painting, so that a copy onto it knows how little it has to do.
    const QRegion region = window->paint.event->region();
    painter->setClipRegion(region);
    if (window->paint.pictureSink == nullptr) {
        window->paint.pictureSink = CXPictureWindow::Create(window->widget);
    }
    if (window->paint.pictureSink == nullptr) {
        window->paint.pictureSink = CWaylandPicture::Create(window->widget);
    }
    // The window system's surface takes the paint's copies only when the paint is the window's
    // own, onto its backing store: decided once for the paint, not at each copy.
    CPictureSink* sink = window->paint.pictureSink.get();
    if (sink != nullptr && !sink->Serves(*painter)) {
        sink = nullptr;
    }
    const double ratio = DeviceRatioOf(window->widget);
    HDC hdc = CreatePainterDC(painter.get(), ratio, sink);
    if (hdc == nullptr) {
        painter->end();
        return nullptr;
    }
    window->paint.painter = painter.get();
    PaintDCs()[hdc] = painter.release();
    if (window->paint.pictureSink != nullptr) {
        window->paint.pictureSink->BeginPaint();
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
        window != nullptr && window->paint.painter == painter.get()) {
        window->paint.painter = nullptr;
        if (window->paint.pictureSink != nullptr) {
            window->paint.pictureSink->EndPaint();
        }
    }
    painter->end();
    return TRUE;
}

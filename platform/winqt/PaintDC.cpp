#include "platform/winqt/CWaylandPicture.h"
#include "platform/winqt/CXPictureWindow.h"
#include "platform/winqt/DevicePixels.h"
#include "platform/winqt/GdiQt.h"
#include "platform/winqt/WindowObject.h"

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
    if (window == nullptr || window->paintEvent == nullptr || window->painter != nullptr ||
        window->widget == nullptr) {
        return nullptr;
    }
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(window->widget)) {
        return nullptr;
    }
    // As the window system's paint DC is, this one is clipped to the part of the window that
    // needs painting, so that a copy onto it knows how little it has to do.
    const QRegion region = window->paintEvent->region();
    painter->setClipRegion(region);
    if (window->xPicture == nullptr) {
        window->xPicture = CXPictureWindow::Create(window->widget);
    }
    if (window->xPicture == nullptr) {
        window->xPicture = CWaylandPicture::Create(window->widget);
    }
    const double ratio = DeviceRatioOf(window->widget);
    HDC hdc = CreatePainterDC(painter.get(), ratio, window->xPicture.get());
    if (hdc == nullptr) {
        painter->end();
        return nullptr;
    }
    window->painter = painter.get();
    PaintDCs()[hdc] = painter.release();
    if (window->xPicture != nullptr) {
        window->xPicture->BeginPaint();
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
        window != nullptr && window->painter == painter.get()) {
        window->painter = nullptr;
        if (window->xPicture != nullptr) {
            window->xPicture->EndPaint();
        }
    }
    painter->end();
    return TRUE;
}

#include "platform/CPaintDC.h"

#include "platform/CWaylandPicture.h"
#include "platform/CWnd.h"
#include "platform/CXPictureWindow.h"
#include "platform/GdiQt.h"
#include "platform/WindowObject.h"

#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

#include <map>

struct CPaintDC::PaintState {
    QPainter painter;
};

namespace {

// The painters behind the paint DCs that are held, so that DrawIcon and the icon's background
// can reach them.
std::map<HDC, QPainter*>& PaintDCs() {
    static auto* dcs = new std::map<HDC, QPainter*>;
    return *dcs;
}

} // namespace

QPainter* PainterOfPaintDC(HDC hdc) {
    const auto found = PaintDCs().find(hdc);
    return found == PaintDCs().end() ? nullptr : found->second;
}

CPaintDC::CPaintDC(CWnd* pWnd) {
    m_hWnd = pWnd == nullptr ? nullptr : pWnd->m_hWnd;
    WindowObject* window = FindWindowObject(m_hWnd);
    // Only the window's own paint, and only once in it.
    if (window == nullptr || window->paintEvent == nullptr || window->painter != nullptr ||
        window->widget == nullptr) {
        return;
    }
    m_pState = new PaintState;
    if (!m_pState->painter.begin(window->widget)) {
        delete m_pState;
        m_pState = nullptr;
        return;
    }
    // As the window system's paint DC is, this one is clipped to the part of the window that
    // needs painting, so that a copy onto it knows how little it has to do.
    m_pState->painter.setClipRegion(window->paintEvent->region());
    if (window->xPicture == nullptr) {
        window->xPicture = CXPictureWindow::Create(window->widget);
    }
    if (window->xPicture == nullptr) {
        window->xPicture = CWaylandPicture::Create(window->widget);
    }
    m_hDC = CreatePainterDC(&m_pState->painter, &window->lastCopy, window->xPicture.get());
    if (m_hDC == nullptr) {
        m_pState->painter.end();
        delete m_pState;
        m_pState = nullptr;
        return;
    }
    window->painter = &m_pState->painter;
    PaintDCs()[m_hDC] = &m_pState->painter;
    if (window->xPicture != nullptr) {
        window->xPicture->BeginPaint();
    }
}

CPaintDC::~CPaintDC() {
    if (m_pState == nullptr) {
        return;
    }
    PaintDCs().erase(m_hDC);
    ReleasePainterDC(m_hDC);
    m_hDC = nullptr;
    if (WindowObject* window = FindWindowObject(m_hWnd);
        window != nullptr && window->painter == &m_pState->painter) {
        window->painter = nullptr;
        if (window->xPicture != nullptr) {
            window->xPicture->EndPaint();
        }
    }
    m_pState->painter.end();
    delete m_pState;
}

BOOL CPaintDC::DrawIcon(int x, int y, HICON hIcon) {
    return ::DrawIcon(m_hDC, x, y, hIcon);
}

#include "tests/platform/CPainterTarget.h"

#include "platform/winqt/paint/GdiQt.h"

#include <QImage>
#include <QPainter>
#include <QRegion>

struct CPainterTarget::Impl {
    Impl(int width, int height, Format format)
        : image(width, height,
                format == Format::Rgb32 ? QImage::Format_RGB32
                                        : QImage::Format_ARGB32_Premultiplied),
          painter(&image), dc(CreatePainterDC(&painter)) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    }
    ~Impl() { ReleasePainterDC(dc); }

    QImage image;
    QPainter painter;
    HDC dc;
    QImage picture; // for DrawWithQt, top row first
};

CPainterTarget::CPainterTarget(int width, int height, Format format)
    : m_pImpl(std::make_unique<Impl>(width, height, format)) {
    m_pImpl->image.fill(0);
}

CPainterTarget::~CPainterTarget() = default;

HDC CPainterTarget::Dc() const {
    return m_pImpl->dc;
}

int CPainterTarget::Width() const {
    return m_pImpl->image.width();
}

int CPainterTarget::Height() const {
    return m_pImpl->image.height();
}

const void* CPainterTarget::Bits() const {
    return m_pImpl->image.constBits();
}

void CPainterTarget::ClipTo(const std::vector<RECT>& rects) {
    if (rects.empty()) {
        m_pImpl->painter.setClipping(false);
        return;
    }
    QRegion region;
    for (const RECT& rc : rects) {
        region += QRect(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    }
    m_pImpl->painter.setClipRegion(region);
}

void CPainterTarget::SetQtPicture(const void* bits, int width, int height, int stride) {
    m_pImpl->picture =
        QImage(static_cast<const uchar*>(bits), width, height, stride, QImage::Format_RGB555)
            .mirrored();
}

void CPainterTarget::DrawWithQt() {
    m_pImpl->painter.drawImage(m_pImpl->image.rect(), m_pImpl->picture);
}

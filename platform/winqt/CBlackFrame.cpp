#include "platform/winqt/CBlackFrame.h"

#include "platform/winqt/GdiQt.h"

#include <QAccessibleWidget>
#include <QPainter>

namespace {

constexpr int kClientEdgeWidth = 2; // the sunken edge's width in pixels

// A frame shows the water, which moves by itself: assistive tools are told it is an animation
// rather than a bare area of the window.
QAccessibleInterface* FrameAccessible(const QString& /*className*/, QObject* object) {
    if (auto* frame = qobject_cast<CBlackFrame*>(object)) {
        return new QAccessibleWidget(frame, QAccessible::Animation);
    }
    return nullptr;
}

} // namespace

CBlackFrame::CBlackFrame(QWidget* parent, bool clientEdge)
    : QWidget(parent), m_bClientEdge(clientEdge) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    [[maybe_unused]] static const bool g_bFactoryInstalled = [] {
        QAccessible::installFactory(FrameAccessible);
        return true;
    }();
}

namespace {

// One ring of the frame, between the device rectangles of two nested logical ones: the top and
// left sides in one colour, the bottom and right sides, corners included, in the other, as the
// window system draws its edges.
void DrawRing(QPainter& painter, const QRect& outer, const QRect& inner, const QColor& topLeft,
              const QColor& bottomRight) {
    const int left = inner.left() - outer.left();
    const int top = inner.top() - outer.top();
    const int right = outer.right() - inner.right();
    const int bottom = outer.bottom() - inner.bottom();
    painter.fillRect(QRect(outer.right() - right + 1, outer.top(), right, outer.height()),
                     bottomRight);
    painter.fillRect(QRect(outer.left(), outer.bottom() - bottom + 1, outer.width(), bottom),
                     bottomRight);
    painter.fillRect(QRect(outer.left(), outer.top(), outer.width() - right, top), topLeft);
    painter.fillRect(QRect(outer.left(), outer.top(), left, outer.height() - bottom), topLeft);
}

} // namespace

void CBlackFrame::DrawFrame(QPainter& painter) const {
    if (isHidden()) {
        return;
    }
    // Each line is a logical pixel wide, drawn in whole device pixels from the same rounding as
    // the picture copied inside, so that on a scaled screen the two meet with no gap or overlap.
    const QTransform toDevice = painter.combinedTransform();
    if (toDevice.type() > QTransform::TxScale) {
        return;
    }
    QRect frame = geometry();
    const int edge = m_bClientEdge ? kClientEdgeWidth : 0;
    if (frame.width() - 2 * edge <= 0 || frame.height() - 2 * edge <= 0) {
        return;
    }
    auto ring = [&](int from) {
        return ToDeviceRect(toDevice, frame.adjusted(from, from, -from, -from));
    };
    painter.save();
    painter.setWorldTransform(toDevice.inverted() * painter.worldTransform());
    if (m_bClientEdge) {
        const QPalette& colours = palette();
        DrawRing(painter, ring(0), ring(1), colours.dark().color(), colours.light().color());
        DrawRing(painter, ring(1), ring(2), colours.shadow().color(), colours.midlight().color());
    }
    DrawRing(painter, ring(edge), ring(edge + 1), Qt::black, Qt::black);
    painter.restore();
}

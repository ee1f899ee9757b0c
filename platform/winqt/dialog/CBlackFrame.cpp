#include "platform/winqt/dialog/CBlackFrame.h"

#include "platform/winqt/paint/DevicePixels.h"
#include "platform/winqt/user/WindowPeer.h"

#include <QAccessibleWidget>
#include <QPainter>

namespace {

// A frame shows the water, which moves by itself: assistive tools are told it is an animation
// rather than a bare area of the window.
QAccessibleInterface* FrameAccessible(const QString& /*className*/, QObject* object) {
    if (auto* frame = qobject_cast<CBlackFrame*>(object)) {
        return new QAccessibleWidget(frame, QAccessible::Animation);
    }
    return nullptr;
}

// One ring of the frame, between two nested rectangles of device pixels: the top and left sides
// in one colour, the bottom and right sides, corners included, in the other, as the window
// system draws its edges.
void DrawRing(QPainter& painter, const QRect& outer, const QRect& inner, const QColor& topLeft,
              const QColor& bottomRight) {
    painter.fillRect(QRect(QPoint(inner.right() + 1, outer.top()), outer.bottomRight()),
                     bottomRight);
    painter.fillRect(QRect(QPoint(outer.left(), inner.bottom() + 1), outer.bottomRight()),
                     bottomRight);
    painter.fillRect(QRect(outer.topLeft(), QPoint(inner.right(), inner.top() - 1)), topLeft);
    painter.fillRect(QRect(outer.topLeft(), QPoint(inner.left() - 1, inner.bottom())), topLeft);
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

void CBlackFrame::DrawFrame(QPainter& painter, const RECT& device, double ratio) const {
    if (isHidden()) {
        return;
    }
    // Each line is a logical pixel wide, rounded to whole device pixels as the window's edges
    // are at its scale, and drawn from the same rounding as the picture copied inside, so that
    // on a scaled screen the two meet with no gap or overlap.
    const QTransform toDevice =
        QTransform::fromScale(1 / ratio, 1 / ratio) * painter.combinedTransform();
    if (toDevice.type() > QTransform::TxScale) {
        return;
    }
    const int dpi = static_cast<int>(DpiOfRatio(ratio));
    const QRect frame = QRectOf(device);
    const int edge = m_bClientEdge ? kClientEdgeWidth : 0;
    const int edgeInset = MulDiv(edge, dpi, USER_DEFAULT_SCREEN_DPI);
    if (frame.width() - 2 * edgeInset <= 0 || frame.height() - 2 * edgeInset <= 0) {
        return;
    }
    auto ring = [&](int from) {
        const int inset = MulDiv(from, dpi, USER_DEFAULT_SCREEN_DPI);
        return ToDeviceRect(toDevice, frame.adjusted(inset, inset, -inset, -inset));
    };
    painter.save();
    painter.setWorldTransform(painter.combinedTransform().inverted() * painter.worldTransform());
    if (m_bClientEdge) {
        const QPalette& colours = palette();
        DrawRing(painter, ring(0), ring(1), colours.dark().color(), colours.light().color());
        DrawRing(painter, ring(1), ring(2), colours.shadow().color(), colours.midlight().color());
    }
    DrawRing(painter, ring(edge), ring(edge + 1), Qt::black, Qt::black);
    painter.restore();
}

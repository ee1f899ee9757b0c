#include "platform/CBlackFrame.h"

#include <QAccessibleWidget>
#include <QPainter>
#include <qdrawutil.h>

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

void CBlackFrame::DrawFrame(QPainter& painter) const {
    if (isHidden()) {
        return;
    }
    QRect frame = geometry();
    if (m_bClientEdge) {
        qDrawWinPanel(&painter, frame, palette(), true);
        frame.adjust(kClientEdgeWidth, kClientEdgeWidth, -kClientEdgeWidth, -kClientEdgeWidth);
    }
    if (frame.width() <= 0 || frame.height() <= 0) {
        return;
    }
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
}

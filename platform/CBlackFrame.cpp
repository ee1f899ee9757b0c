#include "platform/CBlackFrame.h"

#include <QPainter>
#include <qdrawutil.h>

namespace {

constexpr int kClientEdgeWidth = 2; // the sunken edge's width in pixels

} // namespace

CBlackFrame::CBlackFrame(QWidget* parent, bool clientEdge)
    : QWidget(parent), m_bClientEdge(clientEdge) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
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

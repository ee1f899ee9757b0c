#pragma once

// The picture drawn through a painter: into Qt's backing store, or into an image a widget is
// rendered into. Every device pixel of the areas it is given is written afresh; it remembers
// nothing of what it drew, so it can show any copy the others cannot take.

#include "platform/winqt/paint/CPictureSink.h"
#include "platform/winqt/paint/GdiQt.h"

#include <windows.h>

#include <QRect>
#include <QTransform>

#include <vector>

class QPainter;

class CPainterPicture final : public CPictureSink {
public:
    // Draws with painter, whose logical pixels lie on its device as toDevice (a scale and a
    // move) puts them; the painter must outlive this.
    CPainterPicture(QPainter* painter, const QTransform& toDevice);

    // Only a copy through its own painter.
    bool Serves(const QPainter& painter) const override { return &painter == m_pPainter; }
    // Writes the areas' device pixels, each the bitmap's pixel that the axis maps give it, as a
    // plain copy whatever blending the painter was set up for. Always true.
    bool Show(HBITMAP bitmap, const AxisMap& columns, const AxisMap& rows,
              const std::vector<QRect>& areas) override;

private:
    QPainter* m_pPainter;
    QTransform m_toDevice;
};

#pragma once

#include "platform/winqt/paint/GdiQt.h"

#include <windows.h>

#include <QRect>
#include <QTransform>

#include <vector>

class QPainter;

// The picture drawn through a painter: into Qt's backing store, or into an image a widget is
// rendered into. It remembers nothing of what it drew, so it can show any copy the window
// system's sinks cannot take.
class CPainterPicture {
public:
    // Draws with painter, whose logical pixels lie on its device as toDevice (a scale and a
    // move) puts them; the painter must outlive this.
    CPainterPicture(QPainter* painter, const QTransform& toDevice);

    // Writes every device pixel of the areas afresh, each the bitmap's pixel that the axis maps
    // give it, as a plain copy whatever blending the painter was set up for.
    void Show(HBITMAP bitmap, const AxisMap& columns, const AxisMap& rows,
              const std::vector<QRect>& areas);

private:
    QPainter* m_pPainter;
    QTransform m_toDevice;
};

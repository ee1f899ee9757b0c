#pragma once

// The widget of a black-frame static. The window system draws such a frame as part of the
// dialog beneath whatever the dialog paints itself, so the picture painted over the frame's
// inside covers the black line; to look the same, the dialog draws its frames first
// (DrawFrame) and this widget paints nothing. Clicks pass through it to the dialog.

#include <windows.h>

#include <QWidget>

class QPainter;

class CBlackFrame : public QWidget {
    Q_OBJECT

public:
    CBlackFrame(QWidget* parent, bool clientEdge);

    // A one-pixel black rectangle at the frame's place (device, in the dialog's client device
    // pixels at ratio), inside a sunken two-pixel edge when the template asks for a client edge.
    void DrawFrame(QPainter& painter, const RECT& device, double ratio) const;

private:
    bool m_bClientEdge;
};

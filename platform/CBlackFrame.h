#pragma once

// The widget of a black-frame static: a one-pixel black rectangle, inside a sunken two-pixel
// edge when the template asks for a client edge. Its inside is left unpainted so that what the
// dialog paints there shows through, and clicks pass through it to the dialog.

#include <QWidget>

class CBlackFrame : public QWidget {
public:
    CBlackFrame(QWidget* parent, bool clientEdge);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    bool m_bClientEdge;
};

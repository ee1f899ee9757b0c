#pragma once

#include "platform/winqt/paint/CPictureSink.h"

#include <QRegion>

#include <memory>

class QPaintEvent;
class QPainter;

// A window's paint: the one Qt is delivering, what is left to erase, and where the picture goes.
struct PaintState {
    QPaintEvent* event = nullptr; // set while a WM_PAINT is being handled
    QPainter* painter = nullptr;  // the paint DC's painter, while one is held
    // What was invalidated without erase since the last paint, and whether anything asked for
    // an erase: a paint of the unerased part alone leaves the background as it is.
    QRegion unerased;
    bool eraseAsked = false;
    // Under X or Wayland, the surface the window system shows the picture in; chosen at the
    // first paint, once for the window.
    std::unique_ptr<CPictureSink> pictureSink;
};

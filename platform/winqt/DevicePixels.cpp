#include "platform/winqt/DevicePixels.h"

#include <QWidget>

#include <cmath>

namespace {

// A position that Qt worked out as device pixel / ratio, or a device edge divided back, comes
// back to that pixel despite rounding.
constexpr double kRoundingSlack = 1.0 / 1024;

int FloorOf(double value) {
    return static_cast<int>(std::floor(value + kRoundingSlack));
}

int CeilOf(double value) {
    return static_cast<int>(std::ceil(value - kRoundingSlack));
}

} // namespace

double DeviceRatioOf(const QWidget* widget) {
    const double ratio = widget != nullptr ? widget->devicePixelRatioF() : 1.0;
    return ratio > 0 ? ratio : 1.0;
}

UINT DpiOfRatio(double ratio) {
    return static_cast<UINT>(std::lround(USER_DEFAULT_SCREEN_DPI * ratio));
}

int ToDeviceEdge(int logical, double ratio) {
    return static_cast<int>(std::floor(static_cast<double>(logical) * ratio + 0.5));
}

RECT DeviceRectOf(const QRect& logical, double ratio) {
    return RECT{ToDeviceEdge(logical.left(), ratio), ToDeviceEdge(logical.top(), ratio),
                ToDeviceEdge(logical.left() + logical.width(), ratio),
                ToDeviceEdge(logical.top() + logical.height(), ratio)};
}

QRect LogicalCover(const RECT& device, double ratio) {
    const int left = FloorOf(device.left / ratio);
    const int top = FloorOf(device.top / ratio);
    return {left, top, CeilOf(device.right / ratio) - left, CeilOf(device.bottom / ratio) - top};
}

POINT DevicePixelAt(QPointF logical, double ratio) {
    return POINT{FloorOf(logical.x() * ratio), FloorOf(logical.y() * ratio)};
}

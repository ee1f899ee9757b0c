#include "platform/winqt/paint/DevicePixels.h"

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

std::int64_t NearestDeviceEdge(double device) {
    return static_cast<std::int64_t>(std::floor(device + 0.5));
}

int ToDeviceEdge(int logical, double ratio) {
    return static_cast<int>(NearestDeviceEdge(static_cast<double>(logical) * ratio));
}

DeviceSpan ToDeviceSpan(double scale, double offset, std::int64_t at, std::int64_t size) {
    const auto edge = [&](std::int64_t logical) {
        return NearestDeviceEdge(static_cast<double>(logical) * scale + offset);
    };
    return {edge(at), edge(at + size) - edge(at)};
}

QRect ToDeviceRect(const QTransform& toDevice, const QRect& logical) {
    const DeviceSpan columns =
        ToDeviceSpan(toDevice.m11(), toDevice.dx(), logical.left(), logical.width());
    const DeviceSpan rows =
        ToDeviceSpan(toDevice.m22(), toDevice.dy(), logical.top(), logical.height());
    return {static_cast<int>(columns.first), static_cast<int>(rows.first),
            static_cast<int>(columns.size), static_cast<int>(rows.size)};
}

RECT DeviceRectOf(const QRect& logical, double ratio) {
    return RectOf(ToDeviceRect(QTransform::fromScale(ratio, ratio), logical));
}

QRect LogicalCover(const RECT& device, double ratio) {
    const int left = FloorOf(device.left / ratio);
    const int top = FloorOf(device.top / ratio);
    return {left, top, CeilOf(device.right / ratio) - left, CeilOf(device.bottom / ratio) - top};
}

QRect LogicalCover(const QRect& device, double ratio) {
    return LogicalCover(RectOf(device), ratio);
}

POINT DevicePixelAt(QPointF logical, double ratio) {
    return POINT{FloorOf(logical.x() * ratio), FloorOf(logical.y() * ratio)};
}

QRect QRectOf(const RECT& rect) {
    return {QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1)};
}

RECT RectOf(const QRect& rect) {
    return RECT{rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1};
}

#include "platform/winqt/session/XConnection.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <xcb/xcb.h>

xcb_connection_t* QtXConnection() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (app == nullptr || QGuiApplication::platformName() != QLatin1String("xcb")) {
        return nullptr;
    }
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

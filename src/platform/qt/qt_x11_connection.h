// Qt's own connection to the X server, for the few requests Qt does not make for us.
#pragma once

#include <xcb/xcb.h>

#include <QGuiApplication>

namespace pelandra::qt {

// Null when Qt runs on another window system.
inline xcb_connection_t* qtX11Connection() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 =
        app == nullptr ? nullptr : app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 == nullptr ? nullptr : x11->connection();
}

}  // namespace pelandra::qt

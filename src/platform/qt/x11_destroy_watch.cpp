#include "x11_destroy_watch.h"

#include <xcb/xcb.h>

#include <QCoreApplication>

namespace pelandra::qt {

X11DestroyWatch::X11DestroyWatch(std::function<void(uintptr_t)> destroyed)
    : destroyed_(std::move(destroyed)) {
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11DestroyWatch::~X11DestroyWatch() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

bool X11DestroyWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) == XCB_DESTROY_NOTIFY) {
        const auto* destroy = static_cast<const xcb_destroy_notify_event_t*>(message);
        // A window's own notice, not its parent's about a child.
        if (destroy->event == destroy->window) destroyed_(destroy->window);
    }
    return false;
}

}  // namespace pelandra::qt

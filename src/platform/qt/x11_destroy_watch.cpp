#include "x11_destroy_watch.h"

#include <xcb/xcb.h>

#include <QCoreApplication>

#include "platform/linux/x11/xcb_replies.h"
#include "platform/qt/qt_x11_connection.h"

namespace pelandra::qt {

namespace {

// Whether `window` is unmapped now: an unmap followed by the program's own map (or the
// server's, after reparenting) is no window gone.
bool stillUnmapped(uint32_t window) {
    xcb_connection_t* connection = qtX11Connection();
    if (connection == nullptr) return false;
    // An error is a window destroyed meanwhile: its own notice follows.
    const auto attributes = x11::reply(xcb_get_window_attributes_reply, connection,
                                       xcb_get_window_attributes(connection, window));
    return attributes != nullptr && attributes->map_state == XCB_MAP_STATE_UNMAPPED;
}

}  // namespace

X11DestroyWatch::X11DestroyWatch(std::function<void(uintptr_t, bool)> gone)
    : gone_(std::move(gone)) {
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
    // A window's own notices, not its parent's about a child.
    if ((event->response_type & 0x7F) == XCB_DESTROY_NOTIFY) {
        const auto* destroy = static_cast<const xcb_destroy_notify_event_t*>(message);
        if (destroy->event == destroy->window) gone_(destroy->window, true);
    } else if ((event->response_type & 0x7F) == XCB_UNMAP_NOTIFY) {
        const auto* unmap = static_cast<const xcb_unmap_notify_event_t*>(message);
        if (unmap->event == unmap->window && stillUnmapped(unmap->window)) {
            gone_(unmap->window, false);
        }
    }
    return false;
}

}  // namespace pelandra::qt

#include "x11_host.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

#include "platform/linux/x11/xcb_replies.h"
#include "platform/qt/qt_x11_connection.h"

namespace pelandra::qt {

std::unique_ptr<X11Host> X11Host::attach(const HostRequest& request) {
    xcb_connection_t* connection = qtX11Connection();
    if (connection == nullptr) return nullptr;
    const uint32_t window = request.kind == HostRequest::Kind::Root
                                ? x11::rootOf(connection, x11::displayScreen())
                                : request.window;
    if (window == 0) return nullptr;

    // Watch the window for resizing and destruction, keeping whatever this connection
    // already selected on it (Qt listens on the root window too). A window id that names
    // nothing is an expected answer.
    const auto attributes = x11::reply(xcb_get_window_attributes_reply, connection,
                                       xcb_get_window_attributes(connection, window));
    if (attributes == nullptr) return nullptr;  // no such window
    const uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &mask);

    // Asked after the selection, so a window destroyed in between is not missed.
    const auto geometry =
        x11::reply(xcb_get_geometry_reply, connection, xcb_get_geometry(connection, window));
    if (geometry == nullptr) return nullptr;
    std::unique_ptr<X11Host> host(new X11Host(window));
    host->resize(geometry->width, geometry->height);
    QCoreApplication::instance()->installNativeEventFilter(host.get());
    return host;
}

X11Host::X11Host(uint32_t window) : window_(window) {}

X11Host::~X11Host() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

void X11Host::resize(int width, int height) {
    nativeSize_ = QSize(width, height);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double ratio = screen != nullptr ? screen->devicePixelRatio() : 1.0;
    size_ = QSize(int(std::lround(width / ratio)), int(std::lround(height / ratio)));
}

void X11Host::fill(uintptr_t child, QSize size) const {
    xcb_connection_t* connection = qtX11Connection();
    if (connection == nullptr) return;
    const auto window = uint32_t(child);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double ratio = screen != nullptr ? screen->devicePixelRatio() : 1.0;
    const QSize native = size == size_ ? nativeSize_
                                       : QSize(int(std::lround(size.width() * ratio)),
                                               int(std::lround(size.height() * ratio)))
                                             .boundedTo(nativeSize_);
    const uint32_t geometry[] = {0, 0, uint32_t(native.width()), uint32_t(native.height())};
    xcb_configure_window(connection, window,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT,
                         geometry);
    xcb_map_window(connection, window);
    xcb_flush(connection);
}

bool X11Host::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & 0x7F) {
        case XCB_CONFIGURE_NOTIFY: {
            const auto* configure = static_cast<const xcb_configure_notify_event_t*>(message);
            if (configure->window != window_) break;
            if (QSize(configure->width, configure->height) != nativeSize_) {
                resize(configure->width, configure->height);
                if (resized_) resized_(size_);
            }
            break;
        }
        case XCB_DESTROY_NOTIFY: {
            const auto* destroy = static_cast<const xcb_destroy_notify_event_t*>(message);
            if (destroy->window == window_ && gone_) gone_();
            break;
        }
        default:
            break;
    }
    return false;
}

}  // namespace pelandra::qt

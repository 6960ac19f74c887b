#include "platform/linux/session/other_savers.h"

#include <xcb/xcb.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <cstring>

#include "platform/linux/x11/xcb_replies.h"

namespace pelandra::qt {

namespace {

// A top-level window carrying _SCREENSAVER_VERSION, as XScreenSaver's own tools find it.
bool xscreensaverRunning() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) return false;
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screen);
    bool found = false;
    if (!xcb_connection_has_error(connection)) {
        const char name[] = "_SCREENSAVER_VERSION";
        const auto atom =
            x11::reply(xcb_intern_atom_reply, connection,
                       xcb_intern_atom(connection, 1, uint16_t(std::strlen(name)), name));
        const auto tree = x11::reply(xcb_query_tree_reply, connection,
                                     xcb_query_tree(connection, x11::rootOf(connection, screen)));
        if (atom != nullptr && atom->atom != XCB_ATOM_NONE && tree != nullptr) {
            const xcb_window_t* children = xcb_query_tree_children(tree.get());
            for (int i = 0; i < xcb_query_tree_children_length(tree.get()) && !found; ++i) {
                const auto property =
                    x11::reply(xcb_get_property_reply, connection,
                               xcb_get_property(connection, 0, children[i], atom->atom,
                                                XCB_GET_PROPERTY_TYPE_ANY, 0, 0));
                found = property != nullptr && property->type != XCB_ATOM_NONE;
            }
        }
    }
    xcb_disconnect(connection);
    return found;
}

}  // namespace

const char* otherSaverRunning() {
    if (xscreensaverRunning()) return "XScreenSaver";
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() &&
        bus.interface()->isServiceRegistered(QStringLiteral("org.mate.ScreenSaver"))) {
        return "MATE's screen saver";
    }
    return nullptr;
}

}  // namespace pelandra::qt

#include "platform/linux/session/other_savers.h"

#include <xcb/xcb.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <cstdlib>
#include <cstring>

namespace pelandra::qt {

namespace {

template <typename Reply>
struct Freed {
    Reply* reply;
    ~Freed() { std::free(reply); }
};

// A top-level window carrying _SCREENSAVER_VERSION, as XScreenSaver's own tools find it.
bool xscreensaverRunning() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) return false;
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screen);
    bool found = false;
    if (!xcb_connection_has_error(connection)) {
        xcb_screen_iterator_t roots = xcb_setup_roots_iterator(xcb_get_setup(connection));
        for (int i = 0; i < screen && roots.rem > 1; ++i) xcb_screen_next(&roots);
        const char name[] = "_SCREENSAVER_VERSION";
        Freed atom{xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 1, uint16_t(std::strlen(name)), name),
            nullptr)};
        Freed tree{xcb_query_tree_reply(connection, xcb_query_tree(connection, roots.data->root),
                                        nullptr)};
        if (atom.reply != nullptr && atom.reply->atom != XCB_ATOM_NONE && tree.reply != nullptr) {
            const xcb_window_t* children = xcb_query_tree_children(tree.reply);
            for (int i = 0; i < xcb_query_tree_children_length(tree.reply) && !found; ++i) {
                Freed property{xcb_get_property_reply(
                    connection,
                    xcb_get_property(connection, 0, children[i], atom.reply->atom,
                                     XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
                    nullptr)};
                found = property.reply != nullptr && property.reply->type != XCB_ATOM_NONE;
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

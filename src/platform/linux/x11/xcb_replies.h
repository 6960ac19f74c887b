// What every part that talks to the X server through xcb shares: replies freed by their
// owner, errors taken where they are expected answers (so that nobody logs them), the
// screen DISPLAY names and its root window.
#pragma once

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace pelandra::x11 {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using ReplyOf = std::unique_ptr<T, FreeReply>;

// A request's reply, or null on an error, which is taken and freed here.
template <typename Reply, typename Cookie>
ReplyOf<Reply> reply(Reply* (*take)(xcb_connection_t*, Cookie, xcb_generic_error_t**),
                     xcb_connection_t* connection, Cookie cookie) {
    xcb_generic_error_t* error = nullptr;
    ReplyOf<Reply> answer(take(connection, cookie, &error));
    std::free(error);
    return answer;
}

// The root window of screen `screen` of the connection's display, 0 when there is none.
inline xcb_window_t rootOf(xcb_connection_t* connection, int screen) {
    xcb_screen_iterator_t roots = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screen && roots.rem > 1; ++i) xcb_screen_next(&roots);
    return roots.rem > 0 ? roots.data->root : 0;
}

// The screen DISPLAY names (0 when it names none).
inline int displayScreen() {
    int screen = 0;
    char* host = nullptr;
    int display = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screen) == 0) return 0;
    std::free(host);
    return screen;
}

}  // namespace pelandra::x11

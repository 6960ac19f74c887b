// A window's event handlers as a table: which control, which event, which member runs.
#pragma once

#include <span>
#include <string_view>

#include "platform/platform.h"

namespace pelandra {

template <typename Window>
struct Handler {
    std::string_view control;
    EventKind kind;
    void (Window::*run)();
};

// Runs the first handler for the control's event; events without one are ignored.
template <typename Window>
void dispatch(Window& window, std::span<const Handler<Window>> table, std::string_view control,
              EventKind kind) {
    for (const auto& handler : table) {
        if (handler.control == control && handler.kind == kind) {
            (window.*handler.run)();
            return;
        }
    }
}

}  // namespace pelandra

// Whether the show is to run inside another program's X window (a screen-saver daemon's
// full-screen window or its settings preview) and which window that is.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace pelandra::qt {

struct HostRequest {
    // NotAWindow: the environment names a window in a form that is no X window id (as a
    // locker on Wayland does); the show must not run at all rather than full screen.
    // BadWindowId: "-window-id" without a value or with one that is no X window id; a
    // typing error, which running full screen would hide.
    enum class Kind { Window, Root, NotAWindow, BadWindowId };
    Kind kind = Kind::Window;
    uint32_t window = 0;  // with Kind::Window: the X window id

    bool operator==(const HostRequest&) const = default;
};

// An X window id in decimal or 0x-hex; nullopt for anything else, zero, or more than 32 bits.
std::optional<uint32_t> parseWindowId(std::string_view text);

// The window the show is asked to run in: "-window-id ID" first, then the environment's
// XSCREENSAVER_WINDOW (`environment`, nullptr when unset), then "-root" (the root window).
// An argument that does not parse gives BadWindowId; a non-empty environment value that
// does not parse gives NotAWindow. `arguments` exclude the program's path.
std::optional<HostRequest> hostRequest(const char* environment,
                                       std::span<const std::string_view> arguments);

}  // namespace pelandra::qt

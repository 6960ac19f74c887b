#include "host_request.h"

#include <charconv>
#include <limits>

namespace pelandra::qt {

std::optional<uint32_t> parseWindowId(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    // from_chars would accept a sign on neither base, but a leading blank or "+" must fail too.
    if (text.empty() || text.front() == '+' || text.front() == '-') return std::nullopt;
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    if (value == 0 || value > std::numeric_limits<uint32_t>::max()) return std::nullopt;
    return uint32_t(value);
}

std::optional<HostRequest> hostRequest(const char* environment,
                                       std::span<const std::string_view> arguments) {
    bool root = false;
    std::optional<uint32_t> window;
    for (size_t i = 0; i < arguments.size(); ++i) {
        // XScreenSaver 6 hands its programs the options with two dashes.
        std::string_view option = arguments[i];
        if (option.starts_with("--")) option.remove_prefix(1);
        if (option == "-root") root = true;
        if (option == "-window-id") {
            if (i + 1 == arguments.size()) return HostRequest{HostRequest::Kind::BadWindowId, 0};
            const auto id = parseWindowId(arguments[++i]);
            if (!id) return HostRequest{HostRequest::Kind::BadWindowId, 0};
            if (!window) window = id;
        }
    }
    if (!window && environment != nullptr && *environment != '\0') {
        window = parseWindowId(environment);
        if (!window) return HostRequest{HostRequest::Kind::NotAWindow, 0};
    }
    if (window) return HostRequest{HostRequest::Kind::Window, *window};
    if (root) return HostRequest{HostRequest::Kind::Root, 0};
    return std::nullopt;
}

}  // namespace pelandra::qt

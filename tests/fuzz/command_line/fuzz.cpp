// The command line and the host-window arguments. The input is the arguments separated by
// NUL bytes; when its first byte is odd, the first piece after that byte is the
// XSCREENSAVER_WINDOW value instead.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "control/command_line.h"
#include "fuzz_check.h"
#include "platform/qt/host_request.h"

using namespace pelandra;
using pelandra::qt::HostRequest;

namespace {

std::vector<std::string> piecesOf(std::string_view bytes) {
    std::vector<std::string> pieces;
    for (size_t end; (end = bytes.find('\0')) != std::string_view::npos;) {
        pieces.emplace_back(bytes.substr(0, end));
        bytes.remove_prefix(end + 1);
    }
    pieces.emplace_back(bytes);
    return pieces;
}

void checkWindowId(std::string_view text) {
    const auto id = qt::parseWindowId(text);
    if (!id) return;
    FUZZ_CHECK(*id != 0);
    // The same id written in either base reads back the same.
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%x", unsigned(*id));
    FUZZ_CHECK(qt::parseWindowId(std::to_string(*id)) == id);
    FUZZ_CHECK(qt::parseWindowId(hex) == id);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::vector<std::string> pieces = piecesOf({reinterpret_cast<const char*>(data) + 1, size - 1});
    std::optional<std::string> environment;
    if (data[0] & 1) {
        environment = pieces.front();
        pieces.erase(pieces.begin());
    }

    std::string joined;
    for (size_t i = 0; i < pieces.size(); ++i) joined += (i > 0 ? " " : "") + pieces[i];
    const Text commandLine = fromUtf8(joined);
    FUZZ_CHECK(isSettingsMode(commandLine) == commandLine.starts_with(u"/c"));
    if (const auto window = previewWindow(commandLine)) {
        FUZZ_CHECK(commandLine.starts_with(u"/p") || commandLine.starts_with(u"/P"));
        FUZZ_CHECK(*window <= 9'999'999'999'999'999'999u);
        const std::string digits = std::to_string(*window);
        FUZZ_CHECK(previewWindow(fromUtf8("/p " + digits)) == window);
    }

    const std::vector<std::string_view> arguments(pieces.begin(), pieces.end());
    for (const auto argument : arguments) checkWindowId(argument);
    if (environment) checkWindowId(*environment);
    const auto host = qt::hostRequest(environment ? environment->c_str() : nullptr, arguments);
    if (host && host->kind == HostRequest::Kind::Window) FUZZ_CHECK(host->window != 0);
    if (host && host->kind == HostRequest::Kind::Root) FUZZ_CHECK(host->window == 0);
    return 0;
}

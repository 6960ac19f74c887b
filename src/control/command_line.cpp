#include "control/command_line.h"

namespace pelandra {

bool isSettingsMode(TextView commandLine) {
    return commandLine.substr(0, 2) == u"/c";
}

std::optional<uint64_t> previewWindow(TextView commandLine) {
    if (commandLine.size() < 4 || commandLine[0] != u'/') return std::nullopt;
    if (commandLine[1] != u'p' && commandLine[1] != u'P') return std::nullopt;
    if (commandLine[2] != u' ' && commandLine[2] != u':') return std::nullopt;
    TextView digits = commandLine.substr(3);
    while (!digits.empty() && digits.back() == u' ') digits.remove_suffix(1);
    if (digits.empty() || digits.size() > 19) return std::nullopt;  // 19 digits never overflow
    uint64_t handle = 0;
    for (const char16_t c : digits) {
        if (c < u'0' || c > u'9') return std::nullopt;
        handle = handle * 10 + static_cast<uint64_t>(c - u'0');
    }
    return handle;
}

}  // namespace pelandra

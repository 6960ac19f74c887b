// Text is UTF-16 and so is the wide-character Windows API: the two only need a cast.
#pragma once

#include <string>
#include <string_view>

#include "platform/text.h"

namespace pelandra::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16");

inline std::wstring wide(TextView text) {
    return {reinterpret_cast<const wchar_t*>(text.data()), text.size()};
}

// Control and form names are plain ASCII.
inline std::wstring wideAscii(std::string_view ascii) {
    return {ascii.begin(), ascii.end()};
}

inline Text fromWide(std::wstring_view text) {
    return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

}  // namespace pelandra::win32

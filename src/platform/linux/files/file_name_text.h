// File names as the core's text. A Linux file name is bytes, mostly but not always UTF-8
// (a disc written on another system, an old archive). The bytes that are not UTF-8 are kept
// in the text as lone surrogates U+DC80..U+DCFF, one per byte, so the name turns back into
// exactly the bytes it came from and the file opens; the rest of the name reads as usual.
#pragma once

#include <string>
#include <string_view>

#include "platform/text.h"

namespace pelandra::qt {

Text fromFileName(std::string_view bytes);

// The inverse of fromFileName for every text it makes; other lone surrogates, which no file
// name gives, become U+FFFD.
std::string toFileName(TextView text);

}  // namespace pelandra::qt

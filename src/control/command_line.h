#pragma once

#include <cstdint>
#include <optional>

#include "platform/text.h"

namespace pelandra {

// "/c" as the first two characters, exactly, asks for the settings dialog; every other
// command line (the empty one included) runs the show.
bool isSettingsMode(TextView commandLine);

// A preview request, "/p" or "/P", a blank or a colon, then a window handle in decimal
// (trailing blanks allowed): the handle, or nullopt for any other command line.
std::optional<uint64_t> previewWindow(TextView commandLine);

}  // namespace pelandra

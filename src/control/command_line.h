#pragma once

#include "platform/text.h"

namespace pelandra {

// "/c" as the first two characters, exactly, asks for the settings dialog; every other
// command line (the empty one included) runs the show.
bool isSettingsMode(TextView commandLine);

}  // namespace pelandra

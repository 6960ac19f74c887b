#pragma once

#include "platform/platform.h"

namespace pelandra {

// Forces the pointer visible (display count 1 or more, however often it was hidden) or
// hidden (count below zero).
void showPointer(Platform& platform, bool show);

}  // namespace pelandra

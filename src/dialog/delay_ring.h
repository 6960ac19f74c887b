// The dialog's delay moves around a fixed ring of sixteen values, 1 to 60 seconds.
#pragma once

#include <cstdint>
#include <span>

#include "platform/text.h"

namespace pelandra::dialog {

std::span<const int32_t> delayRing();
bool isOnRing(int32_t delayMilliseconds);

int32_t delayDown(int32_t delayMilliseconds);
int32_t delayUp(int32_t delayMilliseconds);

// "1 Second", or the number of seconds followed by " Seconds".
Text delayCaption(int32_t delayMilliseconds);

}  // namespace pelandra::dialog

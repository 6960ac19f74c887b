// Where the show's photo frame, caption panel and logo strip go on a given screen: one
// centred column, lowered on screens the design does not know.
#pragma once

#include <cstdint>

#include "platform/design.h"
#include "platform/platform.h"

namespace pelandra::show {

inline constexpr float kLoweredBy = 1400;

// True when the screen measures exactly `width` x `height` pixels at 15 twips a pixel.
bool isScreenSize(ScreenSize screen, int32_t width, int32_t height);

struct ShowLayout {
    Twips frame;    // SSPanel1
    Twips caption;  // panYear
    Twips logo;     // Image2
};

ShowLayout layoutFor(const FormDesign& design, ScreenSize screen);

}  // namespace pelandra::show

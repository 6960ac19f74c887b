#include "show/layout.h"

#include "platform/checked_math.h"
#include "show/show_design.h"

namespace pelandra::show {

bool isScreenSize(ScreenSize screen, int32_t width, int32_t height) {
    if (static_cast<double>(screen.width) != checked::mul32(width, kTwipsPerPixel)) return false;
    return static_cast<double>(screen.height) == checked::mul32(height, kTwipsPerPixel);
}

ShowLayout layoutFor(const FormDesign& design, ScreenSize screen) {
    ShowLayout layout{design.find(kFrame)->geometry, design.find(kCaption)->geometry,
                      design.find(kLogo)->geometry};
    if (!isScreenSize(screen, 800, 600) && !isScreenSize(screen, 640, 480)) {
        layout.frame.top += kLoweredBy;
    }
    layout.frame.left = (screen.width - layout.frame.width) * 0.5f;
    layout.caption.left = (screen.width - layout.caption.width) / 2;
    layout.caption.top = layout.frame.top + layout.frame.height;
    layout.logo.left = (screen.width - layout.logo.width) / 2;
    layout.logo.top = layout.caption.top + layout.caption.height;
    return layout;
}

}  // namespace pelandra::show

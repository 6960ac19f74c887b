#include "settings/settings.h"

#include <cmath>

#include "settings/number_text.h"

namespace pelandra::settings {

int32_t intervalFromText(TextView text) {
    const auto number = textToNumber(text);
    if (!number) return kDefaultIntervalSeconds;
    const double seconds = std::nearbyint(*number);  // default rounding: half to even
    if (seconds < 1) return kDefaultIntervalSeconds;
    if (seconds > kLongestIntervalSeconds) return kLongestIntervalSeconds;
    return static_cast<int32_t>(seconds);
}

Text delayToText(int32_t delayMilliseconds) {
    return numberToText(delayMilliseconds / 1000.0);
}

int32_t readIntervalSeconds(Platform& platform) {
    return intervalFromText(
        platform.getSetting(kAppTitle, kSection, kIntervalKey, kIntervalDefault));
}

Text readPhotoDir(Platform& platform) {
    return platform.getSetting(kAppTitle, kSection, kPhotoDirKey, kPhotoDirDefault);
}

void writeDelay(Platform& platform, int32_t delayMilliseconds) {
    platform.saveSetting(kAppTitle, kSection, kIntervalKey, delayToText(delayMilliseconds));
}

}  // namespace pelandra::settings

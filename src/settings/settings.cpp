#include "settings/settings.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "settings/number_text.h"

namespace pelandra::settings {

namespace {

// The stored number rounded half to even (the default rounding), or nullopt for text that
// is no number.
std::optional<double> roundedNumber(TextView text) {
    const auto number = textToNumber(text);
    if (!number) return std::nullopt;
    return std::nearbyint(*number);
}

int32_t heldTo(double value, int32_t fewest, int32_t most) {
    return static_cast<int32_t>(std::clamp(value, double(fewest), double(most)));
}

}  // namespace

int32_t intervalFromText(TextView text) {
    const auto seconds = roundedNumber(text);
    if (!seconds || *seconds < 1) return kDefaultIntervalSeconds;
    return heldTo(*seconds, 1, kLongestIntervalSeconds);
}

std::optional<int32_t> minutesFromText(TextView text) {
    const auto minutes = roundedNumber(text);
    if (!minutes) return std::nullopt;
    return heldTo(*minutes, kFewestMinutes, kMostMinutes);
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

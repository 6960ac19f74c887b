// The two values the program keeps in the per-user settings store: their names, text
// forms and defaults.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace pelandra::settings {

// The application title names the program's settings in the store.
inline constexpr TextView kAppTitle = u"SCRNSAVE: The Pelandra Omnarium 2001";
inline constexpr TextView kSection = u"Settings";
inline constexpr TextView kIntervalKey = u"Interval";
inline constexpr TextView kPhotoDirKey = u"PelandrasDir";
inline constexpr TextView kIntervalDefault = u"2";
inline constexpr TextView kPhotoDirDefault = u" ";

inline constexpr int32_t kDefaultIntervalSeconds = 2;
inline constexpr int32_t kLongestIntervalSeconds = 3600;

// Seconds from the stored text: rounded half to even; text that is not a number, or a
// value below one second, gives the default; anything over an hour (however large) is held
// at an hour.
int32_t intervalFromText(TextView text);

// The stored text for a delay in milliseconds: whole seconds, digits only.
Text delayToText(int32_t delayMilliseconds);

// What the show and the dialog both read.
int32_t readIntervalSeconds(Platform& platform);
Text readPhotoDir(Platform& platform);

void writeDelay(Platform& platform, int32_t delayMilliseconds);

}  // namespace pelandra::settings

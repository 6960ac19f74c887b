// The values the program keeps in the per-user settings store: their names, text forms and
// defaults. Numbers are read by one rule: rounded half to even, then held to their range.
#pragma once

#include <cstdint>
#include <optional>

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

// The idle watcher's wait, section "Watch", key "Minutes" (Linux only).
inline constexpr TextView kWatchSection = u"Watch";
inline constexpr TextView kMinutesKey = u"Minutes";
inline constexpr int32_t kDefaultMinutes = 10;
inline constexpr int32_t kFewestMinutes = 1;
inline constexpr int32_t kMostMinutes = 1440;  // a day

// Whole minutes from the stored text: rounded half to even and held to 1 to 1440; nullopt
// for text that is not a number (or no text), where the watcher chooses its own wait.
std::optional<int32_t> minutesFromText(TextView text);

// The stored text for a delay in milliseconds: whole seconds, digits only.
Text delayToText(int32_t delayMilliseconds);

// What the show and the dialog both read.
int32_t readIntervalSeconds(Platform& platform);
Text readPhotoDir(Platform& platform);

void writeDelay(Platform& platform, int32_t delayMilliseconds);

}  // namespace pelandra::settings

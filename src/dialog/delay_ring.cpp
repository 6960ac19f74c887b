#include "dialog/delay_ring.h"

#include <algorithm>

#include "platform/checked_math.h"
#include "settings/number_text.h"

namespace pelandra::dialog {

namespace {

constexpr int32_t kRing[] = {1000,  2000,  3000,  4000,  5000,  10000, 15000, 20000,
                             25000, 30000, 35000, 40000, 45000, 50000, 55000, 60000};
constexpr int32_t kShortest = 1000;
constexpr int32_t kLongest = 60000;
constexpr int32_t kLongStep = 5000;

}  // namespace

std::span<const int32_t> delayRing() {
    return kRing;
}

bool isOnRing(int32_t delayMilliseconds) {
    return std::find(std::begin(kRing), std::end(kRing), delayMilliseconds) != std::end(kRing);
}

int32_t delayDown(int32_t delay) {
    if (delay == kShortest) return kLongest;
    if (delay >= 2000 && delay <= 5000 && delay % 1000 == 0) return delay - 1000;
    return checked::sub32(delay, kLongStep);
}

int32_t delayUp(int32_t delay) {
    if (delay == kLongest) return kShortest;
    if (delay >= 1000 && delay <= 4000 && delay % 1000 == 0) return delay + 1000;
    return checked::add32(delay, kLongStep);
}

Text delayCaption(int32_t delay) {
    if (delay == kShortest) return u"1 Second";
    return numberToText(delay / 1000.0) + u" Seconds";
}

}  // namespace pelandra::dialog

// The number-text conversions of the stored Interval: any text gives an interval of 1 to
// 3600 seconds, and every number the program writes reads back as that number.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "fuzz_check.h"
#include "settings/number_text.h"
#include "settings/settings.h"

using namespace pelandra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Text text = fromUtf8({reinterpret_cast<const char*>(data), size});
    const auto number = textToNumber(text);
    const int32_t seconds = settings::intervalFromText(text);
    FUZZ_CHECK(seconds >= 1 && seconds <= settings::kLongestIntervalSeconds);
    if (!number) {
        FUZZ_CHECK(seconds == settings::kDefaultIntervalSeconds);
    } else {
        FUZZ_CHECK(!std::isnan(*number));
        if (*number >= 3600.5) FUZZ_CHECK(seconds == settings::kLongestIntervalSeconds);
        if (*number < 0.5) FUZZ_CHECK(seconds == settings::kDefaultIntervalSeconds);
        if (std::isfinite(*number)) {
            const auto back = textToNumber(numberToText(*number));
            FUZZ_CHECK(back.has_value());
            FUZZ_CHECK(std::fabs(*back - *number) <= 1e-14 * std::fabs(*number));
        }
    }
    // Whole numbers past an hour, however many digits they have, are held at an hour.
    TextView digits = text;
    while (!digits.empty() && digits.front() == u'0') digits.remove_prefix(1);
    const bool allDigits = !text.empty() && text.find_first_not_of(u"0123456789") == Text::npos;
    if (allDigits && (digits.size() > 4 || (digits.size() == 4 && digits > u"3600"))) {
        FUZZ_CHECK(seconds == settings::kLongestIntervalSeconds);
    }
    // Any delay in milliseconds, written as the dialog writes it, reads back as its seconds.
    if (size >= sizeof(int32_t)) {
        int32_t delay = 0;
        std::memcpy(&delay, data, sizeof delay);
        const auto stored = textToNumber(settings::delayToText(delay));
        FUZZ_CHECK(stored.has_value());
        FUZZ_CHECK(std::fabs(*stored - delay / 1000.0) <= 1e-9);
    }
    return 0;
}

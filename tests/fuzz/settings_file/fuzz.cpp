// The settings file as Set writes it: whatever the file holds, the stored Interval reads back
// as written, every other value reads as before, and the rest of the file is left as it was.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "platform/linux/settings_file/ini_scan.h"

using namespace pelandra::qt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string written = withIniValue(text, "Settings", "Interval", "15");
    FUZZ_CHECK(findIniValue(written, "Settings", "Interval") == "15");
    FUZZ_CHECK(findIniValue(written, "Settings", "PelandrasDir") ==
               findIniValue(text, "Settings", "PelandrasDir"));
    // Only bytes were added or one value's bytes replaced: the text's start and end remain.
    size_t same = 0;
    while (same < text.size() && same < written.size() && text[same] == written[same]) ++same;
    size_t tail = 0;
    while (tail < text.size() - same && tail < written.size() - same &&
           text[text.size() - 1 - tail] == written[written.size() - 1 - tail]) {
        ++tail;
    }
    FUZZ_CHECK(same + tail == text.size() || findIniValue(text, "Settings", "Interval"));
    return 0;
}

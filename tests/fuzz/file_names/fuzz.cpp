// File names as text: any bytes turn back into exactly the same bytes, and a name that is
// UTF-8 reads as the core reads UTF-8.
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "platform/linux/files/file_name_text.h"

using namespace pelandra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const Text text = qt::fromFileName(bytes);
    FUZZ_CHECK(qt::toFileName(text) == bytes);

    bool escaped = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF) {  // only ever the first half of a pair
            FUZZ_CHECK(i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF);
            ++i;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            FUZZ_CHECK(unit >= 0xDC80 && unit <= 0xDCFF);
            escaped = true;
        }
    }
    if (!escaped) FUZZ_CHECK(fromUtf8(bytes) == text);
    return 0;
}

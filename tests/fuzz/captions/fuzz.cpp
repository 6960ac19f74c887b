// The caption rule over any photo path, as a tick works it out: the input is the path in
// UTF-16 (little-endian code units, lone surrogates and all).
#include <cstdint>

#include "fuzz_check.h"
#include "show/captions.h"

using namespace pelandra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Text path;
    for (size_t i = 0; i + 1 < size; i += 2) path += char16_t(data[i] | (data[i + 1] << 8));

    const int32_t pos = textFind(path, u"pyrnox");
    const Text entry = asciiUpper(path);
    const Text caption = show::captionFor(textMid(entry, pos + 7, 2), entry, pos);

    bool category = false;
    for (const auto& known : show::categories()) category = category || caption == known.caption;
    const TextView tail = u" Pelandra   ";
    const bool year = caption.ends_with(tail) &&
                      ((caption.starts_with(u"  19") && caption.size() <= 4 + 2 + tail.size()) ||
                       (caption.starts_with(u"  200") && caption.size() <= 5 + 1 + tail.size()));
    FUZZ_CHECK(category || year);
    return 0;
}

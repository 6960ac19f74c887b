// The header limits and the JPEG completeness walk over any file: they read what the file
// says and never more than it holds, and what they admit stays within the limits.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "fuzz_check.h"
#include "platform/picture_header.h"
#include "platform/runtime_error.h"

using namespace pelandra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ReadAt read = [&](uint64_t offset, std::span<uint8_t> buffer) -> size_t {
        if (offset >= size) return 0;
        const size_t count = std::min<size_t>(buffer.size(), size - size_t(offset));
        std::memcpy(buffer.data(), data + offset, count);
        return count;
    };
    (void)jpegIsComplete(read);
    PictureHeader header;
    try {
        header = readPictureHeader(read);
    } catch (const RuntimeError& error) {
        FUZZ_CHECK(error.number == 481);
        return 0;
    }
    if (header.format == PictureFormat::Unknown) {
        FUZZ_CHECK(header.width == 0 && header.height == 0);
        return 0;
    }
    FUZZ_CHECK(header.width > 0 && header.height > 0);
    try {
        checkPictureLimits(header);
    } catch (const RuntimeError& error) {
        FUZZ_CHECK(error.number == 481);
        return 0;
    }
    FUZZ_CHECK(uint64_t(header.width) * header.height <= 150'000'000);
    FUZZ_CHECK(header.decoderBytes <= (256ull << 20));
    return 0;
}

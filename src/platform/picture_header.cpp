#include "platform/picture_header.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "platform/runtime_error.h"

namespace pelandra {

namespace {

constexpr uint64_t kMaxJpegPixels = 150'000'000;
constexpr uint64_t kMaxOtherPixels = 40'000'000;
constexpr std::array<uint8_t, 8> kPngSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// A baseline JPEG is decoded at an eighth of its size at the most, a few rows at a time.
constexpr uint64_t kJpegSmallestScale = 8;

// Reads exactly `count` bytes at `offset`, or fails as a picture cut short.
template <size_t count>
std::array<uint8_t, count> bytesAt(const ReadAt& read, uint64_t offset) {
    std::array<uint8_t, count> bytes{};
    if (read(offset, bytes) != count) throw RuntimeError::invalidPicture();
    return bytes;
}

uint32_t bigEndian(const uint8_t* at, int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = (value << 8) | at[i];
    return value;
}

uint32_t littleEndian(const uint8_t* at, int count) {
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = (value << 8) | at[i];
    return value;
}

bool isStartOfFrame(uint8_t marker) {
    // C4 (Huffman tables), C8 (reserved) and CC (arithmetic conditioning) are no frames.
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool isProgressive(uint8_t marker) {
    return marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
}

// Calls `segment(marker, offset of its length field)` for each marker segment before the
// image data, until it returns true; returns the offset after the start-of-scan segment
// (or after the segment `segment` stopped at). Throws when the markers run out first.
template <typename Segment>
uint64_t walkJpegMarkers(const ReadAt& read, Segment&& segment) {
    const auto start = bytesAt<2>(read, 0);
    if (start[0] != 0xFF || start[1] != 0xD8) throw RuntimeError::invalidPicture();
    uint64_t at = 2;
    while (true) {
        const auto head = bytesAt<2>(read, at);
        if (head[0] != 0xFF) throw RuntimeError::invalidPicture();
        const uint8_t marker = head[1];
        if (marker == 0xFF) {  // a fill byte
            ++at;
            continue;
        }
        if ((marker >= 0xD0 && marker <= 0xD8) || marker == 0x01) {  // no length follows
            at += 2;
            continue;
        }
        if (marker == 0xD9) throw RuntimeError::invalidPicture();  // ends before any image
        const auto length = bytesAt<2>(read, at + 2);
        const uint32_t size = bigEndian(length.data(), 2);
        if (size < 2) throw RuntimeError::invalidPicture();
        const bool stop = segment(marker, at + 2);
        at += 2 + size;
        if (stop || marker == 0xDA) return at;
    }
}

PictureHeader jpegHeader(const ReadAt& read) {
    PictureHeader header;
    header.format = PictureFormat::Jpeg;
    bool found = false;
    uint64_t samples = 0;
    walkJpegMarkers(read, [&](uint8_t marker, uint64_t at) {
        if (marker == 0xDA) {
            if (!found) throw RuntimeError::invalidPicture();  // image data before a frame
            // Length, then the number of components this scan holds.
            const auto scan = bytesAt<3>(read, at);
            header.multiScan = !header.progressive && scan[2] < header.components;
            return true;
        }
        if (!isStartOfFrame(marker) || found) return false;
        const auto frame = bytesAt<8>(read, at);  // length, precision, height, width, count
        header.height = bigEndian(&frame[3], 2);
        header.width = bigEndian(&frame[5], 2);
        header.components = frame[7];
        header.progressive = isProgressive(marker);
        if (header.width == 0 || header.height == 0 || header.components == 0) {
            throw RuntimeError::invalidPicture();
        }
        header.bytesPerPixel = std::max<uint32_t>(4, uint32_t(header.components));
        std::vector<uint8_t> sampling(size_t(header.components) * 3);
        if (read(at + 8, sampling) != sampling.size()) throw RuntimeError::invalidPicture();
        int maxH = 1, maxV = 1;
        for (int c = 0; c < header.components; ++c) {
            const int h = sampling[size_t(c) * 3 + 1] >> 4, v = sampling[size_t(c) * 3 + 1] & 15;
            if (h < 1 || h > 4 || v < 1 || v > 4) throw RuntimeError::invalidPicture();
            maxH = std::max(maxH, h);
            maxV = std::max(maxV, v);
        }
        // Each component is kept in whole 8 x 8 blocks at its own sampling.
        for (int c = 0; c < header.components; ++c) {
            const int h = sampling[size_t(c) * 3 + 1] >> 4, v = sampling[size_t(c) * 3 + 1] & 15;
            const uint64_t blocksWide = (uint64_t(header.width) * h + maxH * 8 - 1) / (maxH * 8);
            const uint64_t blocksHigh = (uint64_t(header.height) * v + maxV * 8 - 1) / (maxV * 8);
            samples += blocksWide * blocksHigh * 64;
        }
        found = true;
        return false;  // on to the first scan
    });
    if (!found) throw RuntimeError::invalidPicture();
    // A picture in several scans is held as two bytes for every coefficient until the last
    // one; a single scan is decoded a few rows at a time, at an eighth of its size at most.
    header.decoderBytes = header.progressive || header.multiScan
                              ? samples * 2
                              : samples / (kJpegSmallestScale * kJpegSmallestScale);
    return header;
}

void setFullDecode(PictureHeader& header) {
    header.decoderBytes = uint64_t(header.width) * header.height * header.bytesPerPixel;
}

// PNG: bytes of one pixel of the colour type at the bit depth, as its decoder keeps them.
uint32_t pngBytesPerPixel(uint8_t depth, uint8_t colourType) {
    const uint32_t channels = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
    return std::max<uint32_t>(4, channels * (depth > 8 ? 2 : 1));
}

// An icon or cursor file: a directory of pictures, each a PNG or a bitmap without its file
// header. The directory's sizes are a byte each and say nothing true of a PNG inside, so
// each picture is priced by its own header and the file by the dearest.
PictureHeader iconHeader(const ReadAt& read, uint32_t count) {
    PictureHeader dearest;
    dearest.format = PictureFormat::Icon;
    for (uint32_t i = 0; i < count; ++i) {
        const auto entry = bytesAt<16>(read, 6 + 16 * uint64_t(i));
        const auto head = bytesAt<26>(read, littleEndian(&entry[12], 4));
        PictureHeader picture;
        if (std::equal(kPngSignature.begin(), kPngSignature.end(), head.begin())) {
            picture.width = bigEndian(&head[16], 4);
            picture.height = bigEndian(&head[20], 4);
            picture.bytesPerPixel = pngBytesPerPixel(head[24], head[25]);
        } else {
            const auto width = int32_t(littleEndian(&head[4], 4));
            const auto height = int32_t(littleEndian(&head[8], 4)) / 2;  // with its mask
            picture.width = width < 0 ? 0u - uint32_t(width) : uint32_t(width);
            picture.height = height < 0 ? 0u - uint32_t(height) : uint32_t(height);
        }
        if (picture.width == 0 || picture.height == 0) throw RuntimeError::invalidPicture();
        setFullDecode(picture);
        if (picture.decoderBytes > dearest.decoderBytes) {
            picture.format = PictureFormat::Icon;
            dearest = picture;
        }
    }
    return dearest;
}

}  // namespace

PictureHeader readPictureHeader(const ReadAt& read) {
    std::array<uint8_t, 26> head{};
    const size_t got = read(0, head);
    const auto starts = [&](std::initializer_list<uint8_t> magic) {
        return got >= magic.size() && std::equal(magic.begin(), magic.end(), head.begin());
    };
    PictureHeader header;
    if (starts({0xFF, 0xD8})) return jpegHeader(read);
    if (got >= 6 && (starts({0, 0, 1, 0}) || starts({0, 0, 2, 0})) && littleEndian(&head[4], 2)) {
        return iconHeader(read, littleEndian(&head[4], 2));
    }
    if (std::equal(kPngSignature.begin(), kPngSignature.end(), head.begin()) && got >= 8) {
        if (got < 26 || !std::equal(head.begin() + 12, head.begin() + 16, "IHDR")) {
            throw RuntimeError::invalidPicture();
        }
        header.format = PictureFormat::Png;
        header.width = bigEndian(&head[16], 4);
        header.height = bigEndian(&head[20], 4);
        header.bytesPerPixel = pngBytesPerPixel(head[24], head[25]);
    } else if (starts({'G', 'I', 'F', '8'})) {
        if (got < 10) throw RuntimeError::invalidPicture();
        header.format = PictureFormat::Gif;
        header.width = littleEndian(&head[6], 2);
        header.height = littleEndian(&head[8], 2);
    } else if (starts({'B', 'M'})) {
        if (got < 26) throw RuntimeError::invalidPicture();
        header.format = PictureFormat::Bmp;
        if (littleEndian(&head[14], 4) == 12) {  // the oldest header: 16-bit sizes
            header.width = littleEndian(&head[18], 2);
            header.height = littleEndian(&head[20], 2);
        } else {
            const auto width = int32_t(littleEndian(&head[18], 4));
            const auto height = int32_t(littleEndian(&head[22], 4));  // negative: top-down
            header.width = width < 0 ? 0u - uint32_t(width) : uint32_t(width);
            header.height = height < 0 ? 0u - uint32_t(height) : uint32_t(height);
        }
    } else {
        return header;
    }
    if (header.width == 0 || header.height == 0) throw RuntimeError::invalidPicture();
    setFullDecode(header);
    return header;
}

void checkPictureLimits(const PictureHeader& header, DecoderScaling scaling) {
    const uint64_t pixels = uint64_t(header.width) * header.height;
    const uint64_t maxPixels =
        header.format == PictureFormat::Jpeg ? kMaxJpegPixels : kMaxOtherPixels;
    uint64_t bytes = header.decoderBytes;
    if (scaling == DecoderScaling::AfterDecoding) {
        // Measured under Wine: a 40-megapixel PNG took 330 MiB, a 16-bit one of 30
        // megapixels up to 490 MiB.
        bytes = std::max(bytes, 2 * pixels * std::max<uint32_t>(4, header.bytesPerPixel));
    }
    if (pixels > maxPixels || bytes > kMaxDecoderBytes) throw RuntimeError::invalidPicture();
}

PictureHeader decodedPictureHeader(uint32_t width, uint32_t height) {
    PictureHeader header;
    header.width = width;
    header.height = height;
    setFullDecode(header);
    return header;
}

bool jpegIsComplete(const ReadAt& read) {
    uint64_t at = 0;
    try {
        at = walkJpegMarkers(read, [](uint8_t, uint64_t) { return false; });
    } catch (const RuntimeError&) {
        return false;
    }
    // In image data 0xFF is always followed by 0x00 or a restart marker, so the first FF D9
    // is the end of the picture (progressive pictures have several scans before it).
    std::vector<uint8_t> chunk(64 * 1024);
    while (true) {
        const size_t got = read(at, chunk);
        if (got < 2) return false;
        // memchr: a camera's 20 MB photo is walked in a few milliseconds, not tens.
        const uint8_t* const last = chunk.data() + got - 1;
        for (const uint8_t* mark = chunk.data();
             (mark = static_cast<const uint8_t*>(std::memchr(mark, 0xFF, size_t(last - mark)))) !=
             nullptr;
             ++mark) {
            if (mark[1] == 0xD9) return true;
        }
        at += got - 1;  // the next chunk starts on this one's last byte
    }
}

std::optional<ExifBlock> jpegExifBlock(const ReadAt& read) {
    std::optional<ExifBlock> found;
    try {
        walkJpegMarkers(read, [&](uint8_t marker, uint64_t at) {
            if (marker != 0xE1) return false;
            // Length, "Exif" and two zero bytes, then the TIFF header: byte order, 42 and
            // the first directory's offset. Other APP1 segments (XMP) are passed over.
            std::array<uint8_t, 16> head{};
            if (read(at, head) != head.size()) return false;
            static constexpr uint8_t kExif[] = {'E', 'x', 'i', 'f', 0, 0};
            if (!std::equal(std::begin(kExif), std::end(kExif), head.begin() + 2)) return false;
            const uint32_t length = bigEndian(head.data(), 2);
            if (length < 2 + 6 + 8) return true;
            ExifBlock block;
            block.offset = at + 8;
            block.size = length - 8;
            const uint8_t* tiff = head.data() + 8;
            if (tiff[0] == 'M' && tiff[1] == 'M') {
                block.bigEndian = true;
            } else if (tiff[0] != 'I' || tiff[1] != 'I') {
                return true;
            }
            const auto number = [&](int from, int count) {
                return block.bigEndian ? bigEndian(tiff + from, count)
                                       : littleEndian(tiff + from, count);
            };
            block.firstDirectory = number(4, 4);
            if (number(2, 2) != 42 || block.firstDirectory < 8 ||
                block.firstDirectory >= block.size) {
                return true;
            }
            found = block;
            return true;
        });
    } catch (const RuntimeError&) {
        // A JPEG whose markers do not hold together has no EXIF block worth reading.
    }
    return found;
}

PictureFormat checkPictureFile(const ReadAt& read, DecoderScaling scaling) {
    const PictureHeader header = readPictureHeader(read);
    checkPictureLimits(header, scaling);
    if (header.format == PictureFormat::Jpeg && !jpegIsComplete(read)) {
        throw RuntimeError::invalidPicture();
    }
    return header.format;
}

}  // namespace pelandra

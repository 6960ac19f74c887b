#include "platform/picture_header.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "platform/runtime_error.h"

namespace pelandra {
namespace {

using Bytes = std::vector<uint8_t>;

ReadAt readerOf(const Bytes& file) {
    return [&file](uint64_t offset, std::span<uint8_t> buffer) -> size_t {
        if (offset >= file.size()) return 0;
        const size_t count = std::min<size_t>(buffer.size(), file.size() - size_t(offset));
        std::memcpy(buffer.data(), file.data() + offset, count);
        return count;
    };
}

void append(Bytes& to, std::initializer_list<uint8_t> bytes) {
    to.insert(to.end(), bytes.begin(), bytes.end());
}

void segment(Bytes& to, uint8_t marker, const Bytes& body) {
    const size_t length = body.size() + 2;
    append(to, {0xFF, marker, uint8_t(length >> 8), uint8_t(length)});
    to.insert(to.end(), body.begin(), body.end());
}

// A JPEG as far as its headers go: a frame of `width` x `height` with the components'
// sampling factors (H << 4 | V), a first scan of a few data bytes holding `scanned`
// components (all when 0) and the end marker.
Bytes jpeg(uint8_t frameMarker, uint16_t width, uint16_t height, Bytes sampling,
           bool complete = true, uint8_t scanned = 0) {
    Bytes file{0xFF, 0xD8};
    segment(file, 0xE0, {'J', 'F', 'I', 'F', 0});
    Bytes frame{8,
                uint8_t(height >> 8),
                uint8_t(height),
                uint8_t(width >> 8),
                uint8_t(width),
                uint8_t(sampling.size())};
    for (size_t c = 0; c < sampling.size(); ++c) append(frame, {uint8_t(c + 1), sampling[c], 0});
    segment(file, frameMarker, frame);
    const auto count = uint8_t(scanned != 0 ? scanned : sampling.size());
    Bytes scan{count};
    for (uint8_t c = 0; c < count; ++c) append(scan, {uint8_t(c + 1), 0});
    append(scan, {0, 63, 0});
    segment(file, 0xDA, scan);
    append(file, {0x12, 0xFF, 0x00, 0x34, 0xFF, 0xD0, 0x56});
    if (complete) append(file, {0xFF, 0xD9});
    return file;
}

bool admitted(const PictureHeader& header, DecoderScaling scaling) {
    try {
        checkPictureLimits(header, scaling);
        return true;
    } catch (const RuntimeError&) {
        return false;
    }
}

constexpr uint8_t kBaseline = 0xC0, kProgressive = 0xC2;
const Bytes k420{0x22, 0x11, 0x11}, kCmyk{0x11, 0x11, 0x11, 0x11};

TEST(PictureHeader, JpegFramesAndTheDecoderMemoryTheyNeed) {
    const struct {
        const char* what;
        Bytes file;
        uint32_t width, height;
        bool progressive, multiScan;
        bool scaledWhileDecoding, scaledAfterwards;  // admitted by a decoder that does so
    } cases[] = {
        {"24 MP progressive photo", jpeg(kProgressive, 6000, 4000, k420), 6000, 4000, true, false,
         true, true},
        {"24 MP baseline photo", jpeg(kBaseline, 6000, 4000, k420), 6000, 4000, false, false, true,
         true},
        {"12000 x 12000 progressive", jpeg(kProgressive, 12000, 12000, k420), 12000, 12000, true,
         false, false, false},
        {"12000 x 12000 baseline", jpeg(kBaseline, 12000, 12000, k420), 12000, 12000, false, false,
         true, false},
        {"12000 x 12000 baseline, a scan per component",
         jpeg(kBaseline, 12000, 12000, k420, true, 1), 12000, 12000, false, true, false, false},
        {"grey baseline, its one scan", jpeg(kBaseline, 12000, 12000, {0x11}, true, 1), 12000,
         12000, false, false, true, false},
        {"CMYK 8000 x 8000 progressive", jpeg(kProgressive, 8000, 8000, kCmyk), 8000, 8000, true,
         false, false, false},
        {"60000 x 60000 baseline", jpeg(kBaseline, 60000, 60000, k420), 60000, 60000, false, false,
         false, false},
        {"small progressive", jpeg(kProgressive, 613, 366, {0x11}), 613, 366, true, false, true,
         true},
        {"6680 x 6680 progressive, full colour", jpeg(kProgressive, 6680, 6680, {0x11, 0x11, 0x11}),
         6680, 6680, true, false, false, false},
    };
    for (const auto& c : cases) {
        const auto header = readPictureHeader(readerOf(c.file));
        EXPECT_EQ(header.format, PictureFormat::Jpeg) << c.what;
        EXPECT_EQ(header.width, c.width) << c.what;
        EXPECT_EQ(header.height, c.height) << c.what;
        EXPECT_EQ(header.progressive, c.progressive) << c.what;
        EXPECT_EQ(header.multiScan, c.multiScan) << c.what;
        EXPECT_EQ(admitted(header, DecoderScaling::WhileDecoding), c.scaledWhileDecoding) << c.what;
        EXPECT_EQ(admitted(header, DecoderScaling::AfterDecoding), c.scaledAfterwards) << c.what;
    }
    // About two bytes for every coefficient of a 4:2:0 picture: 24 M luma + 12 M chroma.
    const auto photo = readPictureHeader(readerOf(jpeg(kProgressive, 6000, 4000, k420)));
    EXPECT_NEAR(double(photo.decoderBytes), 72e6, 1e6);
}

TEST(PictureHeader, BrokenJpegHeadersAreInvalidPictures) {
    Bytes zeroWidth = jpeg(kBaseline, 0, 100, k420);
    Bytes badSampling = jpeg(kBaseline, 100, 100, {0x51});
    Bytes noFrame{0xFF, 0xD8};
    segment(noFrame, 0xDA, {1, 1, 0, 0, 63, 0});
    Bytes cut = jpeg(kBaseline, 100, 100, k420);
    cut.resize(20);
    for (const Bytes* file : {&zeroWidth, &badSampling, &noFrame, &cut}) {
        EXPECT_THROW(readPictureHeader(readerOf(*file)), RuntimeError);
    }
}

// A PNG's signature and header chunk: `width` x `height` at the bit depth and colour type.
Bytes png(uint32_t width, uint32_t height, uint8_t depth, uint8_t colourType) {
    Bytes file{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0,     0,          13, 'I', 'H', 'D',
               'R',  0,   0,   0,   0,    0,    0,    0,    0, depth, colourType, 0,  0,   0};
    for (int i = 0; i < 4; ++i) {
        file[size_t(16 + i)] = uint8_t(width >> (24 - 8 * i));
        file[size_t(20 + i)] = uint8_t(height >> (24 - 8 * i));
    }
    return file;
}

// An icon file whose directory claims 16 x 16 for each of `pictures`.
Bytes icon(const std::vector<Bytes>& pictures) {
    Bytes file{0, 0, 1, 0, uint8_t(pictures.size()), 0};
    size_t offset = 6 + 16 * pictures.size();
    for (const Bytes& picture : pictures) {
        const Bytes entry{16,
                          16,
                          0,
                          0,
                          1,
                          0,
                          32,
                          0,
                          uint8_t(picture.size()),
                          0,
                          0,
                          0,
                          uint8_t(offset),
                          uint8_t(offset >> 8),
                          0,
                          0};
        file.insert(file.end(), entry.begin(), entry.end());
        offset += picture.size();
    }
    for (const Bytes& picture : pictures) file.insert(file.end(), picture.begin(), picture.end());
    return file;
}

TEST(PictureHeader, AnIconIsPricedByThePicturesInsideNotItsDirectory) {
    Bytes bitmap(40, 0);  // 32 x 32, its mask doubling the height
    bitmap[0] = 40, bitmap[4] = 32, bitmap[8] = 64;
    const auto small = readPictureHeader(readerOf(icon({bitmap, png(48, 48, 8, 6)})));
    EXPECT_EQ(small.format, PictureFormat::Icon);
    EXPECT_EQ(small.width, 48u);
    EXPECT_NO_THROW(checkPictureLimits(small, DecoderScaling::AfterDecoding));
    const auto bomb = readPictureHeader(readerOf(icon({bitmap, png(7900, 7900, 8, 6)})));
    EXPECT_EQ(bomb.width, 7900u);
    EXPECT_THROW(checkPictureLimits(bomb, DecoderScaling::AfterDecoding), RuntimeError);
    EXPECT_THROW(readPictureHeader(readerOf(Bytes{0, 0, 1, 0, 1, 0, 16, 16})), RuntimeError);
}

TEST(PictureHeader, OtherFormatsGiveTheirSizesAndUnknownOnesNone) {
    Bytes rgba = png(800, 600, 8, 6);
    Bytes gif{'G', 'I', 'F', '8', '9', 'a', 0x20, 0x03, 0x58, 0x02, 0, 0};
    Bytes bmp(54, 0);
    bmp[0] = 'B', bmp[1] = 'M', bmp[14] = 40;
    bmp[18] = 0x65, bmp[19] = 0x02;                                  // 613 wide
    bmp[22] = 0x92, bmp[23] = 0xFE, bmp[24] = 0xFF, bmp[25] = 0xFF;  // -366: top-down
    const struct {
        Bytes file;
        PictureFormat format;
        uint32_t width, height;
    } cases[] = {{rgba, PictureFormat::Png, 800, 600},
                 {gif, PictureFormat::Gif, 800, 600},
                 {bmp, PictureFormat::Bmp, 613, 366},
                 {Bytes{'h', 'e', 'l', 'l', 'o'}, PictureFormat::Unknown, 0, 0},
                 {Bytes{}, PictureFormat::Unknown, 0, 0}};
    for (const auto& c : cases) {
        const auto header = readPictureHeader(readerOf(c.file));
        EXPECT_EQ(header.format, c.format);
        EXPECT_EQ(header.width, c.width);
        EXPECT_EQ(header.height, c.height);
        EXPECT_NO_THROW(checkPictureLimits(header));
    }
    rgba.resize(20);
    EXPECT_THROW(readPictureHeader(readerOf(rgba)), RuntimeError);
}

TEST(PictureHeader, FullSizeDecodesArePricedByTheirPixelsAsDecoded) {
    const struct {
        const char* what;
        Bytes file;
        bool scaledWhileDecoding, scaledAfterwards;
    } cases[] = {
        {"24 MP RGB", png(6000, 4000, 8, 2), true, true},
        {"16-bit RGBA 5500 x 5500", png(5500, 5500, 16, 6), false, false},
        {"16-bit RGBA 4000 x 3000", png(4000, 3000, 16, 6), true, true},
        {"40 MP RGBA", png(7000, 5700, 8, 6), true, false},
        {"41 MP grey", png(7000, 5900, 8, 0), false, false},
        {"2 G pixels wide", png(0x7F000320, 600, 8, 6), false, false},
    };
    for (const auto& c : cases) {
        const auto header = readPictureHeader(readerOf(c.file));
        EXPECT_EQ(admitted(header, DecoderScaling::WhileDecoding), c.scaledWhileDecoding) << c.what;
        EXPECT_EQ(admitted(header, DecoderScaling::AfterDecoding), c.scaledAfterwards) << c.what;
    }
}

TEST(JpegComplete, TheImageDataMustReachItsEndMarker) {
    EXPECT_TRUE(jpegIsComplete(readerOf(jpeg(kBaseline, 100, 100, k420))));
    EXPECT_FALSE(jpegIsComplete(readerOf(jpeg(kBaseline, 100, 100, k420, false))));

    Bytes trailer = jpeg(kProgressive, 100, 100, k420);
    append(trailer, {'c', 'a', 'm', 'e', 'r', 'a', 0xFF, 0xD8});
    EXPECT_TRUE(jpegIsComplete(readerOf(trailer)));

    // A thumbnail's end marker in a segment before the image data does not count.
    Bytes thumbnail{0xFF, 0xD8};
    segment(thumbnail, 0xE1, {'E', 'x', 'i', 'f', 0, 0, 0xFF, 0xD8, 0xFF, 0xD9});
    const Bytes body = jpeg(kBaseline, 100, 100, k420, false);
    thumbnail.insert(thumbnail.end(), body.begin() + 2, body.end());
    EXPECT_FALSE(jpegIsComplete(readerOf(thumbnail)));

    EXPECT_FALSE(jpegIsComplete(readerOf(Bytes{0xFF, 0xD8, 0xFF, 0xD9})));
    EXPECT_FALSE(jpegIsComplete(readerOf(Bytes{'G', 'I', 'F'})));
}

// A JPEG whose segments before the frame are `segments` (marker, body).
Bytes jpegWith(std::initializer_list<std::pair<uint8_t, Bytes>> segments) {
    Bytes file{0xFF, 0xD8};
    for (const auto& [marker, body] : segments) segment(file, marker, body);
    const Bytes rest = jpeg(kBaseline, 100, 100, k420);
    file.insert(file.end(), rest.begin() + 2, rest.end());
    return file;
}

Bytes exifBody(Bytes tiffHeader) {
    // Room after the header for the directory it points to.
    Bytes body(6 + tiffHeader.size() + 18, 0);
    std::copy_n("Exif", 4, body.begin());
    std::copy(tiffHeader.begin(), tiffHeader.end(), body.begin() + 6);
    return body;
}

TEST(JpegExif, TheBlockIsFoundBehindOtherSegments) {
    const Bytes little = exifBody({'I', 'I', 42, 0, 8, 0, 0, 0});
    const Bytes big = exifBody({'M', 'M', 0, 42, 0, 0, 0, 8});
    const Bytes xmp{'h', 't', 't', 'p', ':', '/', '/', 'n', 's', '.', 'x', 'm', 'p', 0};
    const struct {
        const char* what;
        Bytes file;
        std::optional<ExifBlock> block;  // offset from the file's start
    } cases[] = {
        {"after JFIF", jpegWith({{0xE0, {'J', 'F', 'I', 'F', 0}}, {0xE1, little}}),
         ExifBlock{2 + 9 + 10, uint32_t(little.size() - 6), false, 8}},
        {"big-endian, behind XMP", jpegWith({{0xE1, xmp}, {0xE1, big}}),
         ExifBlock{2 + 18 + 10, uint32_t(big.size() - 6), true, 8}},
        {"none", jpegWith({{0xE0, {'J', 'F', 'I', 'F', 0}}}), std::nullopt},
        {"not a TIFF header", jpegWith({{0xE1, exifBody({'X', 'X', 42, 0, 8, 0, 0, 0})}}),
         std::nullopt},
        {"directory outside the block",
         jpegWith({{0xE1, exifBody({'I', 'I', 42, 0, 99, 0, 0, 0})}}), std::nullopt},
        {"cut short", jpegWith({{0xE1, {'E', 'x', 'i', 'f', 0, 0, 'I', 'I'}}}), std::nullopt},
        {"not a JPEG", Bytes{'G', 'I', 'F', '8', '9', 'a'}, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto block = jpegExifBlock(readerOf(c.file));
        ASSERT_EQ(block.has_value(), c.block.has_value()) << c.what;
        if (!block) continue;
        EXPECT_EQ(block->offset, c.block->offset) << c.what;
        EXPECT_EQ(block->size, c.block->size) << c.what;
        EXPECT_EQ(block->bigEndian, c.block->bigEndian) << c.what;
        EXPECT_EQ(block->firstDirectory, c.block->firstDirectory) << c.what;
        EXPECT_EQ(c.file[size_t(block->offset)], c.block->bigEndian ? 'M' : 'I') << c.what;
    }
}

}  // namespace
}  // namespace pelandra

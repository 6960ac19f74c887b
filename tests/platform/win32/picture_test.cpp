// Pictures through WIC, checked against ImageMagick's decoding of the same files
// (scripts/test-windows.sh writes those references as PNG into the test-data folder).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/runtime_error.h"
#include "platform/win32/picture_decoder.h"
#include "platform/win32/wide_text.h"
#include "test_files.h"

namespace pelandra::win32 {
namespace {

using testing::Bytes;

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> bgr;
};

Pixels pixelsOf(const Picture& picture) {
    Pixels pixels{picture.width(), picture.height(), {}};
    pixels.bgr.resize(static_cast<size_t>(picture.width()) * static_cast<size_t>(picture.height()));
    BITMAP info{};
    GetObjectW(picture.bitmap(), sizeof(info), &info);
    const auto* bits = static_cast<const uint32_t*>(info.bmBits);
    for (size_t i = 0; i < pixels.bgr.size(); ++i) pixels.bgr[i] = bits[i] & 0x00FFFFFF;
    return pixels;
}

Pixels decode(const std::wstring& path, Fit fit = {}) {
    return pixelsOf(*decodePictureFile(fromWide(path), fit));
}

int channelDifference(uint32_t a, uint32_t b) {
    int most = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int da = static_cast<int>((a >> shift) & 0xFF);
        const int db = static_cast<int>((b >> shift) & 0xFF);
        most = std::max(most, std::abs(da - db));
    }
    return most;
}

class Pictures : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { startPictureDecoding(); }
};

TEST_F(Pictures, RunLengthEncodedBitmapDecodesExactly) {
    const Pixels rle = decode(PELANDRA_ASSETS_DIR L"title.bmp");
    const Pixels reference = decode(PELANDRA_TEST_DATA_DIR L"title.png");
    ASSERT_EQ(rle.width, 613);
    ASSERT_EQ(rle.height, 366);
    ASSERT_EQ(reference.width, rle.width);
    EXPECT_EQ(rle.bgr, reference.bgr);
}

TEST_F(Pictures, JpegDecodesCloseToAnotherDecoder) {
    const Pixels jpeg = decode(PELANDRA_ASSETS_DIR L"dialog-logo.jpg");
    const Pixels reference = decode(PELANDRA_TEST_DATA_DIR L"dialog-logo.png");
    ASSERT_EQ(jpeg.width, 350);
    ASSERT_EQ(jpeg.height, 146);
    ASSERT_EQ(reference.bgr.size(), jpeg.bgr.size());
    long total = 0;
    for (size_t i = 0; i < jpeg.bgr.size(); ++i) {
        total += channelDifference(jpeg.bgr[i], reference.bgr[i]);
    }
    EXPECT_LT(total / static_cast<long>(jpeg.bgr.size()), 4);  // decoders round differently
}

TEST_F(Pictures, FitsTheControl) {
    const struct {
        Fit fit;
        int width;
        int height;
    } cases[] = {
        {{777, 473, true}, 777, 473},   // stretched up into the photo frame
        {{100, 30, true}, 100, 30},     // and down, aspect ignored
        {{200, 100, false}, 200, 100},  // unscaled, cut to the control
        {{700, 400, false}, 613, 366},  // unscaled, smaller than the control
    };
    for (const auto& c : cases) {
        const Pixels pixels = decode(PELANDRA_ASSETS_DIR L"title.bmp", c.fit);
        EXPECT_EQ(pixels.width, c.width);
        EXPECT_EQ(pixels.height, c.height);
    }
}

TEST_F(Pictures, PathsBeyondASCIILoad) {
    const Pixels pixels = decode(PELANDRA_TEST_DATA_DIR L"caf\u00e9 \u00e0 la carte.bmp");
    EXPECT_EQ(pixels.width, 613);
}

TEST_F(Pictures, FailuresCarryTheirNumbers) {
    const struct {
        const wchar_t* path;
        int32_t number;
    } cases[] = {
        {PELANDRA_TEST_DATA_DIR L"missing.jpg", 53},
        {PELANDRA_TEST_DATA_DIR L"no-such-folder\\missing.jpg", 76},
        {PELANDRA_TEST_DATA_DIR L"not-a-picture.jpg", 481},
        {PELANDRA_TEST_DATA_DIR L"empty.bmp", 481},
        {PELANDRA_TEST_DATA_DIR L"truncated.jpg", 481},
    };
    for (const auto& c : cases) {
        try {
            decode(c.path);
            ADD_FAILURE() << "decoded " << toUtf8(fromWide(c.path));
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.number, c.number) << toUtf8(fromWide(c.path));
        }
    }
}

int errorOf(const std::wstring& path, Fit fit = {}) {
    try {
        decode(path, fit);
    } catch (const RuntimeError& error) {
        return error.number;
    }
    return 0;
}

// A real JPEG whose frame header is made to claim `width` x `height`.
std::wstring withFrameSize(const wchar_t* original, const wchar_t* copy, uint16_t width,
                           uint16_t height) {
    Bytes jpeg = testing::readBytes(original);
    const size_t frame = testing::jpegFrameAt(jpeg);
    EXPECT_NE(frame, 0u) << toUtf8(fromWide(original));
    if (frame == 0) return copy;
    jpeg[frame + 5] = uint8_t(height >> 8), jpeg[frame + 6] = uint8_t(height);
    jpeg[frame + 7] = uint8_t(width >> 8), jpeg[frame + 8] = uint8_t(width);
    EXPECT_TRUE(testing::writeBytes(copy, jpeg));
    return copy;
}

TEST_F(Pictures, HeadersClaimingHugePicturesAreRefusedBeforeTheCodec) {
    const Fit frame{777, 473, true};
    ASSERT_EQ(errorOf(PELANDRA_TEST_DATA_DIR L"progressive.jpg", frame), 0);  // as it is
    const struct {
        const char* what;
        std::wstring path;
    } cases[] = {
        {"60000 x 60000 baseline",
         withFrameSize(PELANDRA_ASSETS_DIR L"dialog-logo.jpg",
                       PELANDRA_TEST_DATA_DIR L"huge-baseline.jpg", 60000, 60000)},
        {"60000 x 60000 progressive",
         withFrameSize(PELANDRA_TEST_DATA_DIR L"progressive.jpg",
                       PELANDRA_TEST_DATA_DIR L"huge-progressive.jpg", 60000, 60000)},
        {"12000 x 12000 progressive",
         withFrameSize(PELANDRA_TEST_DATA_DIR L"progressive.jpg",
                       PELANDRA_TEST_DATA_DIR L"bomb-progressive.jpg", 12000, 12000)},
        // The codecs decode these at full size before the scaler sees them.
        {"12000 x 12000 baseline",
         withFrameSize(PELANDRA_ASSETS_DIR L"dialog-logo.jpg",
                       PELANDRA_TEST_DATA_DIR L"bomb-baseline.jpg", 12000, 12000)},
        {"12000 x 12000 baseline, a scan per component",
         withFrameSize(PELANDRA_TEST_DATA_DIR L"multi-scan.jpg",
                       PELANDRA_TEST_DATA_DIR L"bomb-multi-scan.jpg", 12000, 12000)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(errorOf(c.path, frame), 481) << c.what;
        EXPECT_EQ(errorOf(c.path), 481) << c.what << ", at its own size";
    }
}

TEST_F(Pictures, AJpegCutShortIsRefusedRatherThanShownHalfGrey) {
    Bytes jpeg = testing::readBytes(PELANDRA_ASSETS_DIR L"dialog-logo.jpg");
    ASSERT_GT(jpeg.size(), 1000u);
    jpeg.resize(jpeg.size() * 9 / 10);
    const std::wstring cut = PELANDRA_TEST_DATA_DIR L"cut.jpg";
    ASSERT_TRUE(testing::writeBytes(cut, jpeg));
    EXPECT_EQ(errorOf(cut, {777, 473, true}), 481);
}

// corner.jpg is 64 x 48, white with a red 16 x 12 block in its stored top-left corner.
// The orientation goes into an EXIF block of either byte order in front of its segments.
std::wstring withOrientation(int orientation, bool bigEndian) {
    const auto u16 = [bigEndian](Bytes& to, uint16_t value) {
        if (bigEndian) {
            to.insert(to.end(), {uint8_t(value >> 8), uint8_t(value)});
        } else {
            to.insert(to.end(), {uint8_t(value), uint8_t(value >> 8)});
        }
    };
    const auto u32 = [&](Bytes& to, uint32_t value) {
        u16(to, uint16_t(bigEndian ? value >> 16 : value));
        u16(to, uint16_t(bigEndian ? value : value >> 16));
    };
    Bytes exif{'E', 'x', 'i', 'f', 0, 0};
    exif.insert(exif.end(), bigEndian ? std::initializer_list<uint8_t>{'M', 'M'}
                                      : std::initializer_list<uint8_t>{'I', 'I'});
    u16(exif, 42);
    u32(exif, 8);    // the first directory follows the header
    u16(exif, 1);    // one entry:
    u16(exif, 274);  // Orientation,
    u16(exif, 3);    // a SHORT,
    u32(exif, 1);    // one of them,
    u16(exif, uint16_t(orientation));
    u16(exif, 0);
    u32(exif, 0);  // no further directory
    const Bytes corner = testing::readBytes(PELANDRA_TEST_DATA_DIR L"corner.jpg");
    Bytes jpeg{0xFF, 0xD8, 0xFF, 0xE1, uint8_t((exif.size() + 2) >> 8), uint8_t(exif.size() + 2)};
    jpeg.insert(jpeg.end(), exif.begin(), exif.end());
    if (corner.size() > 2) jpeg.insert(jpeg.end(), corner.begin() + 2, corner.end());
    const std::wstring path = std::wstring(PELANDRA_TEST_DATA_DIR L"oriented-") +
                              std::to_wstring(orientation) + (bigEndian ? L"-mm.jpg" : L"-ii.jpg");
    EXPECT_TRUE(testing::writeBytes(path, jpeg));
    return path;
}

enum class Corner { TopLeft, TopRight, BottomRight, BottomLeft };

bool isRed(uint32_t bgr) {
    return ((bgr >> 16) & 0xFF) > 200 && ((bgr >> 8) & 0xFF) < 80 && (bgr & 0xFF) < 80;
}

// Which corners of the picture are red, four pixels in from each.
std::vector<Corner> redCorners(const Pixels& pixels) {
    const int right = pixels.width - 5, bottom = pixels.height - 5;
    const struct {
        Corner corner;
        int x, y;
    } probes[] = {{Corner::TopLeft, 4, 4},
                  {Corner::TopRight, right, 4},
                  {Corner::BottomRight, right, bottom},
                  {Corner::BottomLeft, 4, bottom}};
    std::vector<Corner> red;
    for (const auto& probe : probes) {
        if (isRed(pixels.bgr[size_t(probe.y) * size_t(pixels.width) + size_t(probe.x)])) {
            red.push_back(probe.corner);
        }
    }
    return red;
}

TEST_F(Pictures, ExifOrientationTurnsThePhotoUprightBeforeItIsStretched) {
    const struct {
        int orientation;
        bool onItsSide;  // upright it is 48 x 64
        Corner red;      // where the stored top-left corner is upright
    } cases[] = {
        {1, false, Corner::TopLeft},     {2, false, Corner::TopRight},
        {3, false, Corner::BottomRight}, {4, false, Corner::BottomLeft},
        {5, true, Corner::TopLeft},      {6, true, Corner::TopRight},
        {7, true, Corner::BottomRight},  {8, true, Corner::BottomLeft},
    };
    for (const auto& c : cases) {
        for (const bool bigEndian : {false, true}) {
            const std::wstring path = withOrientation(c.orientation, bigEndian);
            const std::string what = "orientation " + std::to_string(c.orientation) +
                                     (bigEndian ? ", big-endian" : ", little-endian");
            const Pixels upright = decode(path);
            EXPECT_EQ(upright.width, c.onItsSide ? 48 : 64) << what;
            EXPECT_EQ(upright.height, c.onItsSide ? 64 : 48) << what;
            EXPECT_EQ(redCorners(upright), std::vector<Corner>{c.red}) << what;

            const Pixels stretched = decode(path, {200, 100, true});
            EXPECT_EQ(stretched.width, 200) << what;
            EXPECT_EQ(stretched.height, 100) << what;
            EXPECT_EQ(redCorners(stretched), std::vector<Corner>{c.red}) << what << ", stretched";

            const Pixels cut = decode(path, {30, 30, false});  // the upright top-left part
            EXPECT_EQ(cut.width, 30) << what;
            EXPECT_EQ(isRed(cut.bgr[4 * 30 + 4]), c.red == Corner::TopLeft) << what << ", cut";
        }
    }
}

}  // namespace
}  // namespace pelandra::win32

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
        {PELANDRA_TEST_DATA_DIR L"no-such-folder\\missing.jpg", 76},
        {PELANDRA_TEST_DATA_DIR L"empty.bmp", 481},
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

}  // namespace
}  // namespace pelandra::win32

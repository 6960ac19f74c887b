// The RLE8 and icon writers, checked by decoding their output with Qt's own readers.
#include "indexed_bitmap.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QImageReader>
#include <functional>

namespace {

QImage decode(const QByteArray& bytes, const char* format) {
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer, format);
    return reader.read();
}

// An Indexed8 picture whose pixel (x, y) is pick(x, y), with a palette of distinct greys.
QImage indexedPicture(int width, int height, const std::function<int(int, int)>& pick) {
    QImage image(width, height, QImage::Format_Indexed8);
    QList<QRgb> palette;
    for (int i = 0; i < 256; ++i) palette.append(qRgb(i, 255 - i, (i * 7) % 256));
    image.setColorTable(palette);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) image.setPixel(x, y, uint(pick(x, y) & 0xFF));
    }
    return image;
}

void expectSamePixels(const QImage& expected, const QImage& actual) {
    ASSERT_FALSE(actual.isNull());
    ASSERT_EQ(expected.size(), actual.size());
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            ASSERT_EQ(expected.pixel(x, y), actual.pixel(x, y)) << "at " << x << "," << y;
        }
    }
}

struct RowPattern {
    const char* name;
    int width;
    int height;
    std::function<int(int, int)> pick;
};

class Rle8RoundTrip : public ::testing::TestWithParam<RowPattern> {};

TEST_P(Rle8RoundTrip, DecodesToTheSamePixels) {
    const RowPattern& pattern = GetParam();
    const QImage picture = indexedPicture(pattern.width, pattern.height, pattern.pick);
    expectSamePixels(picture, decode(artwork::rle8BitmapFile(picture), "bmp"));
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, Rle8RoundTrip,
    ::testing::Values(
        RowPattern{"OneColour", 613, 3, [](int, int) { return 9; }},
        RowPattern{"RunsLongerThan255", 700, 2, [](int x, int) { return x / 300; }},
        RowPattern{"AllDifferent", 300, 2, [](int x, int y) { return x + y; }},
        RowPattern{"OddLiteralThenRun", 11, 2, [](int x, int) { return x < 5 ? x : 200; }},
        RowPattern{"PairsAndSingles", 17, 3, [](int x, int y) { return (x / 2 + y) % 3; }},
        RowPattern{"TwoSinglesBetweenRuns", 9, 1,
                   [](int x, int) { return x == 3   ? 1
                                           : x == 4 ? 2
                                                    : 0; }},
        RowPattern{"SinglePixel", 1, 1, [](int, int) { return 77; }},
        RowPattern{"OneColumn", 1, 40, [](int, int y) { return y; }}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(Rle8Encoding, MarksEveryRowEndAndTheBitmapEnd) {
    const QImage picture = indexedPicture(4, 3, [](int, int) { return 5; });
    const QByteArray data = artwork::encodeRle8(picture);
    EXPECT_EQ(data, QByteArray::fromHex("0405"
                                        "0000"
                                        "0405"
                                        "0000"
                                        "0405"
                                        "0001"));
}

TEST(Rle8Encoding, AbsoluteRunsStayWordAligned) {
    const QImage picture = indexedPicture(3, 1, [](int x, int) { return x + 1; });
    EXPECT_EQ(artwork::encodeRle8(picture), QByteArray::fromHex("0003010203"
                                                                "00"
                                                                "0001"));
}

TEST(IconFile, DecodesAsA32By32PictureWithItsColours) {
    QImage picture(32, 32, QImage::Format_RGB32);
    picture.fill(Qt::red);
    for (int y = 16; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) picture.setPixel(x, y, qRgb(0, 0, 255));
    }
    const QImage icon = decode(artwork::iconFile(picture), "ico");
    ASSERT_EQ(icon.size(), QSize(32, 32));
    EXPECT_EQ(icon.pixel(3, 3), qRgb(255, 0, 0));
    EXPECT_EQ(icon.pixel(30, 30), qRgb(0, 0, 255));
}

}  // namespace

int main(int argc, char** argv) {
    // Test discovery runs without the tests' environment; no display is ever needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

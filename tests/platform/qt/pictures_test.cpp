// Loading picture files into the show's photo control: sizes, formats and every failure.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <functional>

#include "picture_waiting.h"
#include "platform/runtime_error.h"

namespace pelandra::qt {
namespace {

QByteArray jpegBytes(QSize size) {
    QImage image = testing::solidImage(size, Qt::red);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = size.width() / 2; x < size.width(); ++x) image.setPixel(x, y, qRgb(0, 0, 255));
    }
    return testing::jpegOf(image);
}

class PicturesTest : public testing::ShowPhotoTest {
  public:
    void load(const QString& path) { testing::showPicture(platform, path); }
};

TEST_F(PicturesTest, TheRle8TitleLoadsAtThePhotoSize) {
    load(QStringLiteral(PELANDRA_ASSETS_DIR "/title.bmp"));
    EXPECT_EQ(photo->picture().size(), QSize(777, 473));
}

TEST_F(PicturesTest, ALargeJpegIsDecodedAtThePhotoSizeAndStretched) {
    load(write(QStringLiteral("Ün café 57.jpg"), jpegBytes(QSize(2400, 900))));
    const QImage shown = photo->picture();
    ASSERT_EQ(shown.size(), QSize(777, 473));  // aspect ignored
    EXPECT_GT(qRed(shown.pixel(20, 200)), 200);
    EXPECT_GT(qBlue(shown.pixel(760, 200)), 200);
}

// A JPEG whose APP1 segment carries a thumbnail, as cameras write them.
QByteArray jpegWithThumbnail(QSize size) {
    const QByteArray thumbnail = jpegBytes(QSize(16, 12));
    QByteArray app1 = QByteArray("Exif\0\0", 6) + thumbnail;
    const qsizetype length = app1.size() + 2;
    QByteArray head("\xFF\xD8\xFF\xE1", 4);
    head += char((length >> 8) & 0xFF);
    head += char(length & 0xFF);
    return head + app1 + jpegBytes(size).mid(2);
}

TEST_F(PicturesTest, JpegsWithAThumbnailOrDataAfterTheEndLoad) {
    load(write("thumbnail.jpg", jpegWithThumbnail(QSize(320, 200))));
    EXPECT_EQ(photo->picture().size(), QSize(777, 473));
    load(write("trailer.jpg", jpegBytes(QSize(320, 200)) + QByteArray(9000, '\x42')));
    EXPECT_GT(qBlue(photo->picture().pixel(760, 200)), 200);
}

struct BadFile {
    const char* name;
    std::function<QString(PicturesTest&)> make;
    int32_t number;
};

class BadFileTest : public PicturesTest, public ::testing::WithParamInterface<BadFile> {};

TEST_P(BadFileTest, FailsWithItsNumberAndKeepsThePicture) {
    load(write("good.jpg", jpegBytes(QSize(300, 200))));
    const qint64 before = photo->picture().cacheKey();
    const QString path = GetParam().make(*this);
    if (path.isEmpty()) GTEST_SKIP() << "not testable as this user";
    try {
        load(path);
        FAIL() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number, GetParam().number);
    }
    EXPECT_EQ(photo->picture().cacheKey(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadFileTest,
    ::testing::Values(
        BadFile{
            "MissingFolder",
            [](PicturesTest& fixture) { return fixture.folder.filePath("nowhere/57CHEVY.JPG"); },
            53},
        BadFile{"Empty", [](PicturesTest& fixture) { return fixture.write("empty.jpg", {}); }, 481},
        BadFile{"CorruptJpeg",
                [](PicturesTest& fixture) {
                    QByteArray bytes = jpegBytes(QSize(64, 64));
                    for (qsizetype i = 20; i < bytes.size() - 2; ++i) bytes[i] = char(0x5A);
                    return fixture.write("corrupt.jpg", bytes);
                },
                481},
        BadFile{"Folder",
                [](PicturesTest& fixture) {
                    QDir(fixture.folder.path()).mkdir("album.jpg");
                    return fixture.folder.filePath("album.jpg");
                },
                75},
        BadFile{"Fifo",
                [](PicturesTest& fixture) {
                    const QString path = fixture.folder.filePath("pipe.jpg");
                    ::mkfifo(path.toUtf8().constData(), 0600);
                    return path;
                },
                75}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace pelandra::qt

// The photos' decoder process as the show meets it: a decoder that crashes, hangs, runs out
// of memory or is taken over, and no decoder left behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "picture_waiting.h"
#include "platform/qt/control_widgets.h"
#include "platform/qt/leak_check.h"
#include "platform/qt/qt_platform.h"
#include "recording_sink.h"
#include "show/show_design.h"

namespace pelandra::qt {
namespace {

#ifdef PELANDRA_LEAK_CHECK  // the address sanitizer's build
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

int argc = 1;
char program[] = "pelandra-saver";
char* argv[] = {program, nullptr};

QByteArray solidJpeg(QColor colour) {
    return testing::jpegOf(testing::solidImage({320, 200}, colour));
}

// A green photo in `folder`.
QString photoIn(const QTemporaryDir& folder) {
    QFile file(folder.filePath("photo.jpg"));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(solidJpeg(Qt::green));
    return file.fileName();
}

// True once the process has ended (within a few seconds; a zombie has ended too).
bool processGone(pid_t pid) {
    for (int i = 0; i < 500; ++i) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        const auto close = text.rfind(')');
        if (close == std::string::npos || text.compare(close + 2, 1, "Z") == 0) return true;
        usleep(10'000);
    }
    return false;
}

class DecoderTest : public testing::ShowPhotoTest {
  public:
    int32_t errorShowing(const QString& path) { return testing::errorShowing(platform, path); }
    QRgb shownCentre() const { return photo->picture().pixel(388, 236); }
    pid_t decoderPid() { return platform.pictureDecoder().pid(); }
};

TEST_F(DecoderTest, ADecoderThatDiesIsOneInvalidPictureAndTheNextPhotoDecodes) {
    ASSERT_EQ(errorShowing(write("first.jpg", solidJpeg(Qt::green))), 0);
    const pid_t first = decoderPid();
    ASSERT_NE(first, 0);

    EXPECT_EQ(errorShowing(write("decoder-abort.jpg", solidJpeg(Qt::red))), 481);
    EXPECT_TRUE(processGone(first));
    EXPECT_GT(qGreen(shownCentre()), 100);

    EXPECT_EQ(errorShowing(write("next.jpg", solidJpeg(Qt::blue))), 0);
    EXPECT_GT(qBlue(shownCentre()), 200);
    EXPECT_NE(decoderPid(), first);
}

TEST_F(DecoderTest, APictureThatTakesTooLongIsKilledAndTheNextPhotoDecodes) {
    platform.pictureDecoder().setTimeLimit(std::chrono::milliseconds(500));
    ASSERT_EQ(errorShowing(write("first.jpg", solidJpeg(Qt::green))), 0);
    const pid_t first = decoderPid();
    EXPECT_EQ(errorShowing(write("decoder-hang.jpg", solidJpeg(Qt::red))), 481);
    EXPECT_TRUE(processGone(first));
    EXPECT_EQ(errorShowing(write("next.jpg", solidJpeg(Qt::blue))), 0);
    EXPECT_GT(qBlue(shownCentre()), 200);
}

TEST_F(DecoderTest, ADecoderOutOfAddressSpaceIsAnInvalidPicture) {
    if (kSanitized) GTEST_SKIP() << "sanitized decoders run without the address-space limit";
    EXPECT_EQ(errorShowing(write("decoder-hog.jpg", solidJpeg(Qt::red))), 481);
    if (decoderPid() != 0) {
        EXPECT_LT(testing::statusKiB(decoderPid(), "VmHWM"), 600 * 1024);
    }
    EXPECT_EQ(errorShowing(write("next.jpg", solidJpeg(Qt::blue))), 0);
}

// The decoder is fenced before it reads a picture: a file that takes control of it can
// neither reach the user's files, the network or other programs, nor crash the show through
// the memory they share.
// It can neither signal, slow down or fork from the show, nor run code it made, and of all
// it writes only one line per picture reaches the show's log.
TEST_F(DecoderTest, AHostileDecoderCanNeitherEscapeNorCrashTheShow) {
    ASSERT_EQ(errorShowing(write("first.jpg", solidJpeg(Qt::green))), 0);
    const pid_t decoder = decoderPid();
    for (const char* name : {"decoder-escape.jpg", "decoder-shrink.jpg"}) {
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(errorShowing(write(name, solidJpeg(Qt::blue))), 0) << name;
        const std::string log = ::testing::internal::GetCapturedStderr();
        EXPECT_GT(qBlue(shownCentre()), 200) << name << log;
        EXPECT_EQ(decoderPid(), decoder) << name;
        if (std::string_view(name) == "decoder-escape.jpg") {
            EXPECT_EQ(log, "pelandra-saver: picture decoder: tried every way out\n");
        }
        ASSERT_EQ(errorShowing(write("next.jpg", solidJpeg(Qt::green))), 0) << name;
    }
}

TEST(DecoderFence, ADecoderThatCannotBeFencedDecodesNothing) {
    QTemporaryDir folder;
    qputenv("PELANDRA_DECODER_FAULTS", "no-lock-down");
    QtPlatform platform{argc, argv};
    testing::RecordingSink sink;
    platform.createForm(show::form1Design(), sink);
    const int32_t number = testing::errorShowing(platform, photoIn(folder));
    qunsetenv("PELANDRA_DECODER_FAULTS");
    EXPECT_EQ(number, 481);
}

// The files a process has open, as their paths.
std::vector<std::string> openFiles(pid_t pid) {
    std::vector<std::string> files;
    for (const auto& fd :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd")) {
        std::error_code gone;
        files.push_back(std::filesystem::read_symlink(fd.path(), gone).string());
    }
    return files;
}

TEST(DecoderLifetime, TheDecoderHoldsNothingOfTheShowsAndEndsWithThePlatform) {
    QTemporaryDir folder;
    const QString path = photoIn(folder);
    // A descriptor some library left open without close-on-exec.
    const QString held = folder.filePath("held.txt");
    QFile(held).open(QIODevice::WriteOnly);
    const int leaked = ::open(held.toUtf8().constData(), O_RDONLY);
    ASSERT_GE(leaked, 0);
    pid_t decoder = 0;
    {
        QtPlatform platform{argc, argv};
        testing::RecordingSink sink;
        platform.createForm(show::form1Design(), sink);
        testing::showPicture(platform, path);
        decoder = platform.pictureDecoder().pid();
        ASSERT_NE(decoder, 0);
        const std::vector<std::string> files = openFiles(decoder);
        EXPECT_FALSE(files.empty());
        // Nor the show's standard output and error: the user's log.
        for (const std::string& shows :
             {held.toStdString(), std::filesystem::read_symlink("/proc/self/fd/1").string(),
              std::filesystem::read_symlink("/proc/self/fd/2").string()}) {
            EXPECT_EQ(std::count(files.begin(), files.end(), shows), 0) << shows;
        }
    }
    ::close(leaked);
    EXPECT_TRUE(processGone(decoder));
}

}  // namespace
}  // namespace pelandra::qt

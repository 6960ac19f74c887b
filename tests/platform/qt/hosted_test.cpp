// The show inside a host window: which window is asked for, how the show is fitted into it,
// and what a hosted show leaves to its host (input, pointer, lock, message boxes).
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <optional>
#include <string>
#include <vector>

#include "control/hosted_platform.h"
#include "host_sizes.h"
#include "picture_waiting.h"
#include "platform/linux/session/instance_lock.h"
#include "platform/qt/control_widgets.h"
#include "platform/qt/design_style.h"
#include "platform/qt/host_fit.h"
#include "platform/qt/host_request.h"
#include "platform/qt/qt_platform.h"
#include "program/program.h"
#include "recording_sink.h"
#include "show/show_design.h"

namespace pelandra::qt {
namespace {

using testing::RecordingSink;

// --- Which window ----------------------------------------------------------------------

TEST(WindowId, IsDecimalOrHexAndFitsThirtyTwoBits) {
    const std::vector<std::pair<const char*, std::optional<uint32_t>>> cases = {
        {"12345", 12345},
        {"0x1a00004", 0x1a00004},
        {"0X10", 16},
        {"4294967295", 0xFFFFFFFFu},
        {"0xffffffff", 0xFFFFFFFFu},
        {"4294967296", std::nullopt},
        {"0x100000000", std::nullopt},
        {"0", std::nullopt},
        {"0x0", std::nullopt},
        {"", std::nullopt},
        {"0x", std::nullopt},
        {"-5", std::nullopt},
        {"+5", std::nullopt},
        {"0x-1", std::nullopt},
        {" 5", std::nullopt},
        {"5 ", std::nullopt},
        {"12abc", std::nullopt},
        {"0x1g", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(parseWindowId(text), expected) << '"' << text << '"';
    }
}

struct RequestCase {
    const char* name;
    const char* environment;
    std::vector<std::string_view> arguments;
    std::optional<HostRequest> expected;
};

constexpr HostRequest window(uint32_t id) {
    return {HostRequest::Kind::Window, id};
}
constexpr HostRequest kRoot{HostRequest::Kind::Root, 0};
constexpr HostRequest kNotAWindow{HostRequest::Kind::NotAWindow, 0};
constexpr HostRequest kBadWindowId{HostRequest::Kind::BadWindowId, 0};

class HostRequestTest : public ::testing::TestWithParam<RequestCase> {};

TEST_P(HostRequestTest, PicksTheWindowToRunIn) {
    const RequestCase& c = GetParam();
    EXPECT_EQ(hostRequest(c.environment, c.arguments), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostRequestTest,
    ::testing::Values(
        RequestCase{"Nothing", nullptr, {}, std::nullopt},
        RequestCase{"OrdinaryShow", nullptr, {"/s"}, std::nullopt},
        RequestCase{"EnvironmentDecimal", "2097153", {}, window(2097153)},
        RequestCase{"EnvironmentHex", "0x200001", {}, window(0x200001)},
        RequestCase{"EnvironmentJunk", "abc", {}, kNotAWindow},
        RequestCase{"EnvironmentWaylandToken", "wayland-1:0", {"-root"}, kNotAWindow},
        RequestCase{"EnvironmentEmpty", "", {}, std::nullopt},
        RequestCase{"Root", nullptr, {"-root"}, kRoot},
        RequestCase{"RootWithTwoDashes", nullptr, {"--root"}, kRoot},
        RequestCase{"WindowIdWithTwoDashes", nullptr, {"--window-id", "0x2a"}, window(42)},
        RequestCase{"EnvironmentBeforeRoot", "0x2a", {"-root"}, window(42)},
        RequestCase{"JunkEnvironmentThenWindowId", "junk", {"-window-id", "9"}, window(9)},
        RequestCase{"WindowIdArgument", nullptr, {"-window-id", "0x2a"}, window(42)},
        RequestCase{"WindowIdBeforeEnvironment", "7", {"-window-id", "9"}, window(9)},
        RequestCase{"WindowIdBeforeRoot", nullptr, {"-root", "-window-id", "9"}, window(9)},
        RequestCase{"WindowIdWithoutValue", nullptr, {"-window-id"}, kBadWindowId},
        RequestCase{"BadWindowIdThenRoot", nullptr, {"-window-id", "x", "-root"}, kBadWindowId},
        RequestCase{"BadWindowIdThenEnvironment", "5", {"-window-id", "x"}, kBadWindowId},
        RequestCase{
            "SecondWindowIdBad", nullptr, {"-window-id", "9", "-window-id", "0"}, kBadWindowId}),
    [](const auto& test) { return std::string(test.param.name); });

// --- How the show is fitted --------------------------------------------------------------

// Which size the show is laid out for and how it is fitted is decided by the core
// (tests/control/hosting_test.cpp); here, how Qt draws through that fit.

TEST(Fit, ScalesEdgesSoNeighboursStayFlush) {
    const Projection fit{0.4, QPoint(80, 0)};
    // Frame and caption of the 800 x 600 layout meet at y = 489.
    const QRect frame = fit.onWindow({4, 0, 793, 489});
    const QRect caption = fit.onWindow({274, 489, 253, 24});
    EXPECT_EQ(frame.bottom() + 1, caption.top());
    EXPECT_EQ(frame, QRect(82, 0, 317, 196));
    EXPECT_EQ(fit.inside({8, 8, 777, 473}), QRect(3, 3, 311, 189));  // no offset inside a panel
}

// --- A hosted show -----------------------------------------------------------------------

int argc = 1;
char program[] = "pelandra-saver";
char* argv[] = {program, nullptr};

class HostedShowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        platform.setSettingsFile(folder.filePath("screensaver.ini"));
        platform.setLockFile(lockFile());
    }
    std::string lockFile() const { return folder.filePath("lock").toStdString(); }
    QWidget* widget(const char* control) {
        return platform.window("Form1")->findChild<QWidget*>(control);
    }
    void startShow(QSize host) {
        platform.hostIn(nullptr, host);
        saver.main();
        ASSERT_NE(platform.window("Form1"), nullptr);
    }

    QTemporaryDir folder;
    QtPlatform platform{argc, argv};
    Program saver{platform};
};

QRect rectOf(const PixelRect& rect) {
    return {rect.left, rect.top, rect.width, rect.height};
}

// The same table of hosts as the core's and the Windows preview's.
TEST_F(HostedShowTest, EveryHostSizeGetsTheFrameAndPhotoWhereTheTableSays) {
    for (const auto& c : pelandra::testing::kHostSizes) {
        if (c.host.width > 800 || c.host.height > 600) continue;  // beyond the test screen
        QtPlatform qt{argc, argv};
        qt.setSettingsFile(folder.filePath("screensaver.ini"));
        qt.setLockFile(lockFile());
        qt.hostIn(nullptr, {c.host.width, c.host.height});
        Program show(qt);
        show.main();
        FormWindow* form = qt.window("Form1");
        ASSERT_NE(form, nullptr) << c.name;
        EXPECT_EQ(form->geometry(), QRect(0, 0, c.host.width, c.host.height)) << c.name;
        EXPECT_EQ(form->findChild<QWidget*>("SSPanel1")->geometry(), rectOf(c.frame)) << c.name;
        EXPECT_EQ(form->findChild<QWidget*>("Image1")->geometry(), rectOf(c.photo)) << c.name;
        // The missing photos' message, drawn inside the photo.
        show.platform().messageBox(u"Unable to find photographs!", u"Title");
        ASSERT_NE(form->notice(), nullptr) << c.name;
        const QWidget* photo = form->findChild<QWidget*>("Image1");
        EXPECT_TRUE(
            QRect(photo->mapTo(form, QPoint()), photo->size()).contains(form->notice()->geometry()))
            << c.name;
    }
}

TEST_F(HostedShowTest, APreviewIsTheDesignScaledDownInsideTheHost) {
    startShow({320, 240});
    FormWindow* form = platform.window("Form1");
    EXPECT_EQ(saver.platform().screenSize().width, 12000.0f);
    EXPECT_EQ(saver.platform().screenSize().height, 9000.0f);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->geometry(), QRect(0, 0, 320, 240));
    EXPECT_FALSE(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    // The 800 x 600 column's caption (274,489) and logo (119,513) at two fifths; the frame
    // and photo are in the host table.
    EXPECT_EQ(widget("panYear")->geometry(), QRect(110, 196, 101, 9));
    EXPECT_EQ(widget("Image2")->geometry(), QRect(48, 205, 225, 27));
    EXPECT_EQ(widget("panYear")->font().pixelSize(), 5);
}

// The test screen is 800 x 600: a larger host is drawn at that size, however large it grows.
TEST_F(HostedShowTest, AHostLargerThanEveryScreenIsDrawnAtTheLargestScreensSize) {
    startShow({1024, 768});
    FormWindow* form = platform.window("Form1");
    EXPECT_EQ(saver.platform().screenSize().width, 800.0f * 15);
    EXPECT_EQ(saver.platform().screenSize().height, 600.0f * 15);
    EXPECT_EQ(form->geometry(), QRect(0, 0, 800, 600));
    EXPECT_EQ(form->projection(), Projection{});
    EXPECT_EQ(widget("panYear")->font().pixelSize(), 13);
    EXPECT_EQ(widget("panYear")->geometry().top(), 489);
    platform.followHost({30000, 30000});
    EXPECT_EQ(form->geometry(), QRect(0, 0, 800, 600));
    EXPECT_EQ(form->projection(), Projection{});
}

TEST_F(HostedShowTest, FollowsTheHostWhenItIsResized) {
    startShow({320, 240});
    FormWindow* form = platform.window("Form1");
    platform.followHost({480, 240});
    EXPECT_EQ(form->geometry(), QRect(0, 0, 480, 240));
    // Still the core's layout, not the design table's, now centred across the width.
    EXPECT_EQ(widget("SSPanel1")->geometry(), QRect(82, 0, 317, 196));
    EXPECT_EQ(widget("panYear")->geometry(), QRect(190, 196, 101, 9));
}

TEST_F(HostedShowTest, LeavesKeyboardMouseAndPointerToTheHost) {
    platform.hostIn(nullptr, {320, 240});
    HostedPlatform hosted(platform, {320, 240}, show::kFrame);
    RecordingSink sink;
    hosted.createForm(show::form1Design(), sink);
    hosted.showForm("Form1");
    FormWindow* form = platform.window("Form1");
    QTest::keyClick(form, Qt::Key_A);
    QTest::mouseMove(form, QPoint(5, 235));
    QTest::mouseClick(form, Qt::LeftButton, {}, QPoint(5, 235));
    QTest::mouseMove(widget("Image1"), QPoint(20, 20));
    QTest::mouseClick(widget("Image1"), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(sink.input(), std::vector<std::string>{});
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);

    EXPECT_EQ(hosted.showCursor(false), -1);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(hosted.showCursor(true), 0);
}

TEST_F(HostedShowTest, HoldsNoSingleInstanceLock) {
    InstanceLock running;
    ASSERT_EQ(running.acquire(lockFile()),
              InstanceLock::Outcome::Held);  // a full-screen copy already runs
    platform.hostIn(nullptr, {320, 240});
    saver.main();
    EXPECT_TRUE(saver.hosted());
    EXPECT_NE(platform.window("Form1"), nullptr);
    EXPECT_FALSE(saver.platform().previousInstance());
}

TEST_F(HostedShowTest, MessagesAreDrawnInTheShowAndSaidOnceUntilThePhotosReturn) {
    startShow({320, 240});
    FormWindow* form = platform.window("Form1");
    // A box would wait for a click nobody can give; fail rather than hang if one opens.
    bool boxOpened = false;
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            boxOpened = true;
            box->close();
        }
    });
    guard.start(200);

    ::testing::internal::CaptureStderr();
    Platform& hosted = saver.platform();
    hosted.messageBox(u"Unable to find photographs!\r\n\r\nInsert the disc.", u"Title");
    hosted.messageBox(u"Unable to find photographs!\r\n\r\nInsert the disc.", u"Title");
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(boxOpened);
    EXPECT_EQ(said, "Unable to find photographs! Insert the disc.\n");
    ASSERT_NE(form->notice(), nullptr);
    EXPECT_TRUE(form->notice()->isVisible());
    EXPECT_EQ(form->notice()->text(), "Unable to find photographs!\n\nInsert the disc.");
    QWidget* photo = widget("Image1");
    EXPECT_TRUE(
        QRect(photo->mapTo(form, QPoint()), photo->size()).contains(form->notice()->geometry()));

    // A photo that loads takes the message away; the next failure is said again.
    platform.preparePicture("Form1", "Image1",
                            testing::textOf(QStringLiteral(PELANDRA_ASSETS_DIR "/title.bmp")));
    ASSERT_TRUE(testing::waitForPicture(platform));
    hosted.showPreparedPicture("Form1", "Image1");
    EXPECT_EQ(form->notice(), nullptr);
    ::testing::internal::CaptureStderr();
    hosted.messageBox(u"Unable to find photographs!\r\n\r\nInsert the disc.", u"Title");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Unable to find photographs! Insert the disc.\n");
}

TEST_F(HostedShowTest, ARunTimeErrorIsNotSaidTwice) {
    startShow({320, 240});
    ::testing::internal::CaptureStderr();
    saver.platform().printError(u"Run-time error '53': File not found");
    saver.platform().messageBox(u"Run-time error '53':\r\n\r\nFile not found", u"SCRNSAVE");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Run-time error '53': File not found\n");
}

}  // namespace
}  // namespace pelandra::qt

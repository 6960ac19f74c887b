// A show inside a host window: how the design is fitted into the host, and what the show
// leaves to the host (lock, pointer, input, message boxes), whatever the backend.
#include <gtest/gtest.h>

#include "control/host_fit.h"
#include "control/hosted_platform.h"
#include "fake_platform.h"
#include "host_sizes.h"
#include "program/program.h"
#include "show/show_design.h"
#include "show/show_window.h"

namespace pelandra {
namespace {

using testing::FakePlatform;
using testing::kHostSizes;

// The table's hosts all fit on the largest screen: each is drawn whole.
HostFit withArea(HostFit fit, HostSize host) {
    fit.area = host;
    return fit;
}

TEST(HostFit, LaysOutForTheHostFromEightHundredBySixHundredUp) {
    const std::pair<HostSize, HostSize> cases[] = {
        {{800, 600}, {800, 600}}, {{1024, 768}, {1024, 768}}, {{1920, 1080}, {1920, 1080}},
        {{320, 240}, {800, 600}}, {{799, 600}, {800, 600}},   {{1024, 599}, {800, 600}},
        {{0, 0}, {800, 600}},
    };
    for (const auto& [host, layout] : cases) {
        EXPECT_EQ(layoutSizeFor(host), layout) << host.width << " x " << host.height;
    }
}

TEST(HostFit, ShrinksUniformlyToTheTighterSideAndCentres) {
    const struct {
        HostSize layout, host;
        HostFit fit;
    } cases[] = {
        {{800, 600}, {160, 600}, {0.2, 0, 240, {160, 600}}},
        {{1024, 768}, {1280, 1024}, {1, 128, 128, {1280, 1024}}},
        {{1024, 768}, {800, 768}, {800.0 / 1024, 0, 84, {800, 768}}},
        {{0, 0}, {200, 150}, {1, 0, 0, {200, 150}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fitInto(c.layout, c.host), c.fit) << c.host.width << " x " << c.host.height;
    }
}

// No host size costs more than a full-screen show: what lies beyond the largest screen is
// never drawn.
TEST(HostFit, IsDrawnAtMostAtTheLargestScreensSize) {
    const struct {
        HostSize host, largest, area, layout;
    } cases[] = {
        {{30000, 30000}, {1920, 1200}, {1920, 1200}, {1920, 1200}},
        {{30000, 400}, {1024, 768}, {1024, 400}, {800, 600}},
        {{1024, 768}, {1920, 1200}, {1024, 768}, {1024, 768}},
        {{65535, 65535}, {640, 480}, {640, 480}, {800, 600}},
        {{30000, 30000}, {0, 0}, {30000, 30000}, {30000, 30000}},  // no bound given
    };
    for (const auto& c : cases) {
        FakePlatform fake;
        fake.host = c.host;
        fake.largest = c.largest;
        Program saver(fake);
        fake.run(saver);
        EXPECT_EQ(drawnArea(c.host, c.largest), c.area) << c.host.width << " x " << c.host.height;
        EXPECT_EQ(fake.fits["Form1"], fitInto(c.layout, c.area)) << c.host.width;
    }
}

TEST(HostFit, ScalesEdgesSoNeighboursStayFlush) {
    const HostFit fit{0.4, 80, 0};
    // Frame and caption of the 800 x 600 layout meet at y = 489.
    const PixelRect frame = fitRect({4, 0, 793, 489}, fit, true);
    const PixelRect caption = fitRect({274, 489, 253, 24}, fit, true);
    EXPECT_EQ(frame.top + frame.height, caption.top);
    EXPECT_EQ(frame, (PixelRect{82, 0, 317, 196}));
    EXPECT_EQ(fitRect({8, 8, 777, 473}, fit, false), (PixelRect{3, 3, 311, 189}));  // no offset
    // On a screen of two pixels a design pixel, the same fit covers twice the pixels.
    const HostFit twice = atScale({0.4, 80, 3, {480, 241}}, 2);
    EXPECT_EQ(twice, (HostFit{0.4, 160, 6, {960, 482}}));
    EXPECT_EQ(fitRect({8, 0, 1586, 978}, twice, true), (PixelRect{163, 6, 635, 391}));
}

TEST(HostFit, AMessageSitsInTheMiddleOfThePhotoFrame) {
    const Twips place = noticePlace({100, 200, 8000, 6000});
    EXPECT_FLOAT_EQ(place.left, 1100);
    EXPECT_FLOAT_EQ(place.top, 2200);
    EXPECT_FLOAT_EQ(place.width, 6000);
    EXPECT_FLOAT_EQ(place.height, 2000);
}

class HostedShow : public ::testing::Test {
  protected:
    void start(HostSize host) {
        fake.host = host;
        fake.otherInstanceRuns = true;  // a full-screen copy runs: the hosted one still starts
        fake.cursorCount = 0;
        ASSERT_EQ(fake.run(program), std::nullopt);
        ASSERT_EQ(fake.created, std::vector<std::string>{"Form1"});
    }
    FakePlatform fake;
    Program program{fake};
};

TEST_F(HostedShow, TakesNoLockAndLeavesThePointerAlone) {
    start({320, 240});
    EXPECT_TRUE(program.hosted());
    EXPECT_EQ(fake.instanceChecks, 0);
    EXPECT_EQ(fake.showCursorCalls, 0);
    EXPECT_TRUE(fake.coveredFor.empty());  // the host's window is the only screen
    EXPECT_EQ(fake.tick(), std::nullopt);
}

TEST_F(HostedShow, InputIsLeftToTheHost) {
    start({320, 240});
    const struct {
        const char* control;
        EventKind kind;
    } input[] = {
        {"Form1", EventKind::KeyDown},   {"Form1", EventKind::MouseDown},
        {"Image1", EventKind::Click},    {"Image1", EventKind::MouseDown},
        {"Form1", EventKind::MouseMove}, {"Image1", EventKind::MouseMove},
    };
    for (int round = 0; round < 5; ++round) {
        for (const auto& event : input) {
            EXPECT_EQ(fake.fire("Form1", event.control, event.kind), std::nullopt)
                << event.control << " " << int(event.kind);
        }
    }
    EXPECT_EQ(program.showWindow()->formMoves(), 0);
    EXPECT_EQ(fake.showCursorCalls, 0);
}

TEST_F(HostedShow, IsLaidOutForItsHostAndFittedIntoIt) {
    for (const auto& c : kHostSizes) {
        FakePlatform host;
        host.host = c.host;
        Program saver(host);
        host.run(saver);
        EXPECT_EQ(host.fits["Form1"], withArea(c.fit, c.host)) << c.name;
        // Laid out as on a screen of the layout's size: lowered only on other sizes.
        const bool lowered = c.layout.width != 800;
        EXPECT_FLOAT_EQ(host.geometry["Form1.SSPanel1"].top, lowered ? 1400 : 0) << c.name;
        EXPECT_EQ(fitRect(pixelsOf(host.geometry["Form1.SSPanel1"], 1), c.fit, true), c.frame)
            << c.name;
    }
}

TEST_F(HostedShow, FollowsTheHostWhenItIsResized) {
    start({320, 240});
    fake.host = HostSize{480, 240};
    fake.fire("Form1", "Form1", EventKind::HostResized);
    EXPECT_EQ(fake.fits["Form1"], (HostFit{0.4, 80, 0, {480, 240}}));
    fake.host = HostSize{30000, 30000};  // the same layout, centred on the largest screen
    fake.fire("Form1", "Form1", EventKind::HostResized);
    EXPECT_EQ(fake.fits["Form1"], (HostFit{1, 560, 300, {1920, 1200}}));
}

TEST_F(HostedShow, AFailureIsDrawnOverThePhotoAndSaidOnceUntilThePhotosReturn) {
    fake.stored[u"PelandrasDir"] = u"D:\\pyrnox\\";
    start({320, 240});
    ASSERT_EQ(fake.tick(), std::nullopt);  // no such folder
    ASSERT_EQ(fake.tick(), std::nullopt);
    EXPECT_TRUE(fake.boxes.empty());
    const Text said =
        u"Unable to find Pelandra photographs! Make sure that the Pelandra Omnarium is in the "
        u"CDROM drive.";
    EXPECT_EQ(fake.consoleLines, std::vector<Text>{said});
    ASSERT_EQ(fake.notices.count("Form1"), 1u);
    EXPECT_EQ(fake.notices["Form1"].text.substr(0, 38),
              u"Unable to find Pelandra photographs!\r\n");
    const Twips frame = fake.geometry["Form1.SSPanel1"];
    const Twips where = fake.notices["Form1"].where;
    EXPECT_GT(where.left, frame.left);
    EXPECT_LT(where.left + where.width, frame.left + frame.width);
    EXPECT_GT(where.top, frame.top);
    EXPECT_LT(where.top + where.height, frame.top + frame.height);

    // The disc is back: the message goes; when it goes again, that is said again.
    fake.folders[u"D:\\pyrnox\\"] = {u"58SEDAN.JPG"};
    fake.pictures.insert(u"D:\\pyrnox\\58SEDAN.JPG");
    ASSERT_EQ(fake.tick(), std::nullopt);
    EXPECT_EQ(fake.notices.count("Form1"), 0u);
    fake.folders.clear();
    ASSERT_EQ(fake.tick(), std::nullopt);
    EXPECT_EQ(fake.consoleLines, (std::vector<Text>{said, said}));
    EXPECT_EQ(fake.notices.count("Form1"), 1u);
}

TEST_F(HostedShow, ARunTimeErrorIsSaidOnceAndDrawnNotBoxed) {
    HostedPlatform hosted(fake, {320, 240}, show::kFrame);
    hosted.printError(u"Run-time error '53': File not found");
    hosted.messageBox(u"Run-time error '53':\r\n\r\nFile not found", u"SCRNSAVE");
    EXPECT_EQ(fake.consoleLines, std::vector<Text>{u"Run-time error '53': File not found"});
    EXPECT_TRUE(fake.boxes.empty());
}

TEST(NotHosted, TheShowKeepsItsLockPointerAndBoxes) {
    FakePlatform fake;
    Program program(fake);
    fake.run(program);
    EXPECT_FALSE(program.hosted());
    EXPECT_EQ(fake.instanceChecks, 1);
    EXPECT_GT(fake.showCursorCalls, 0);
    EXPECT_TRUE(fake.fits.empty());
    EXPECT_EQ(fake.coveredFor, std::vector<std::string>{"Form1"});
    fake.stored[u"PelandrasDir"] = u"D:\\pyrnox\\";
    fake.tick();
    EXPECT_EQ(fake.boxes.size(), 1u);
    EXPECT_TRUE(fake.notices.empty());
}

}  // namespace
}  // namespace pelandra

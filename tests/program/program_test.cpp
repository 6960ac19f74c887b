#include "program/program.h"

#include <gtest/gtest.h>

#include "control/command_line.h"
#include "control/pointer.h"
#include "fake_platform.h"

namespace pelandra {
namespace {

using testing::FakePlatform;

TEST(ModeSelection, OnlyAnExactLeadingSlashCOpensTheSettings) {
    const struct {
        Text line;
        bool settings;
    } cases[] = {
        {u"/c", true},  {u"/c:1234", true},  {u"/c 1234", true}, {u"/cx", true}, {u"", false},
        {u"/C", false}, {u" /c", false},     {u"/", false},      {u"c", false},  {u"/s", false},
        {u"/S", false}, {u"/p 1234", false}, {u"/a", false},     {u"-c", false},
    };
    for (const auto& c : cases) {
        FakePlatform fake;
        fake.commandLineText = c.line;
        Program program(fake);
        EXPECT_EQ(fake.run(program), std::nullopt);
        ASSERT_EQ(fake.created.size(), 1u) << toUtf8(c.line);
        EXPECT_EQ(fake.created[0], c.settings ? "frmSSSettings" : "Form1") << toUtf8(c.line);
        EXPECT_EQ(isSettingsMode(c.line), c.settings);
    }
}

TEST(ModeSelection, ASecondCopyEndsAtOnceWithoutAWindow) {
    for (const Text line : {u"", u"/c"}) {
        FakePlatform fake;
        fake.otherInstanceRuns = true;
        fake.commandLineText = line;
        fake.cursorCount = -3;
        Program program(fake);
        EXPECT_EQ(fake.run(program), 0);
        EXPECT_TRUE(fake.created.empty());
        EXPECT_GE(fake.cursorCount, 1);
    }
}

TEST(ShowMode, OpensTheWindowThenUncoversTheCaptionAndHidesThePointer) {
    FakePlatform fake;
    Program program(fake);
    fake.run(program);
    EXPECT_EQ(fake.shown, std::vector<std::string>{"Form1"});
    EXPECT_TRUE(fake.visible["Form1.panYear"]);
    EXPECT_EQ(fake.captions["Form1.panYear"], u"Tessaly Software");
    EXPECT_EQ(fake.loadedPictures["Form1.Image1"], u"title");
    EXPECT_LT(fake.cursorCount, 0);
}

TEST(Pointer, EndSaverLeavesItVisibleHoweverOftenItWasHidden) {
    for (int32_t start : {-40, -1, 0, 1, 5}) {
        FakePlatform fake;
        fake.cursorCount = start;
        Program program(fake);
        try {
            program.endSaver();
        } catch (const testing::ProcessEnded& ended) {
            EXPECT_EQ(ended.status, 0);
        }
        EXPECT_GE(fake.cursorCount, 1) << start;
        EXPECT_EQ(fake.cursorCount, std::max(start + 1, 1));
    }
}

TEST(Pointer, HideCallsAtLeastOnceUntilNegative) {
    FakePlatform fake;
    fake.cursorCount = 3;
    showPointer(fake, false);
    EXPECT_EQ(fake.cursorCount, -1);
    fake.cursorCount = -5;
    fake.showCursorCalls = 0;
    showPointer(fake, false);
    EXPECT_EQ(fake.showCursorCalls, 1);
}

TEST(RuntimeErrorReport, AnUncaughtFailureIsReportedAndEndsWithStatusOne) {
    FakePlatform fake;
    fake.failCreateForm = RuntimeError::outOfMemory();
    fake.cursorCount = -2;
    Program program(fake);
    EXPECT_EQ(fake.run(program), 1);
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].prompt, u"Run-time error '7':\r\n\r\nOut of memory");
    EXPECT_EQ(fake.boxes[0].title, u"SCRNSAVE: The Pelandra Omnarium 2001");
    ASSERT_EQ(fake.consoleLines.size(), 1u);
    EXPECT_EQ(fake.consoleLines[0], u"Run-time error '7': Out of memory");
    EXPECT_GE(fake.cursorCount, 1);
}

}  // namespace
}  // namespace pelandra

namespace pelandra {
namespace {

TEST(PreviewRequest, ParsesTheSwitchSeparatorAndDecimalHandle) {
    const struct {
        Text line;
        std::optional<uint64_t> handle;
    } cases[] = {
        {u"/p 1234", 1234},
        {u"/P 1234", 1234},
        {u"/p:1234", 1234},
        {u"/p 1234  ", 1234},
        {u"/p 0", 0},
        {u"/p 9999999999999999999", 9999999999999999999ull},
        {u"/p", std::nullopt},
        {u"/p ", std::nullopt},
        {u"/p1234", std::nullopt},
        {u"/p 12a4", std::nullopt},
        {u"/p -5", std::nullopt},
        {u"/p 99999999999999999999", std::nullopt},
        {u" /p 1234", std::nullopt},
        {u"/s 1234", std::nullopt},
        {u"/c 1234", std::nullopt},
        {u"", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(previewWindow(c.line), c.handle) << toUtf8(c.line);
    }
}

TEST(PreviewRequest, AnExistingWindowGetsTheShowWithoutTheInstanceLock) {
    FakePlatform fake;
    fake.commandLineText = u"/p 4242";
    fake.previewHost = 4242;
    fake.otherInstanceRuns = true;  // a running show does not stop the preview
    Program program(fake);
    EXPECT_EQ(fake.run(program), std::nullopt);
    EXPECT_EQ(fake.previewRequests, std::vector<uint64_t>{4242});
    EXPECT_EQ(fake.instanceChecks, 0);
    EXPECT_EQ(fake.created, std::vector<std::string>{"Form1"});
}

TEST(PreviewRequest, WithoutThatWindowTheShowRunsAsBefore) {
    const struct {
        Text line;
        bool otherInstance;
        std::optional<int> status;
    } cases[] = {
        {u"/p 17", false, std::nullopt},  // no such window: the ordinary show
        {u"/p 17", true, 0},              // ... which a running copy refuses
        {u"/p:x", false, std::nullopt},
    };
    for (const auto& c : cases) {
        FakePlatform fake;
        fake.commandLineText = c.line;
        fake.previewHost = 4242;
        fake.otherInstanceRuns = c.otherInstance;
        Program program(fake);
        EXPECT_EQ(fake.run(program), c.status) << toUtf8(c.line);
        EXPECT_EQ(fake.instanceChecks, 1);
        EXPECT_EQ(fake.created.size(), c.otherInstance ? 0u : 1u);
    }
}

}  // namespace
}  // namespace pelandra

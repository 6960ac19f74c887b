#include "control/program.h"

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
        {u"/c", true},  {u"/c:1234", true}, {u"/c 1234", true}, {u"/cx", true},
        {u"", false},   {u"/C", false},     {u" /c", false},    {u"/", false},
        {u"c", false},  {u"/s", false},     {u"/S", false},     {u"/p 1234", false},
        {u"/a", false}, {u"-c", false},
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

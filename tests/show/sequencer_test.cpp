#include <gtest/gtest.h>

#include "show/show_fixture.h"

namespace pelandra::testing {
namespace {

constexpr TextView kMissingPhotos =
    u"Unable to find Pelandra photographs!\r\n\r\nMake sure that the Pelandra Omnarium is in "
    u"the CDROM drive.";

using Sequencer = ShowTest;

TEST_F(Sequencer, LoadReadsTheIntervalAndFolder) {
    fake.stored[u"Interval"] = u"15";
    start();
    EXPECT_EQ(fake.timerIntervals["Form1.Timer1"], 15000);
    EXPECT_EQ(program.values().lngInterval, 15);
    EXPECT_EQ(program.values().strPhotoDir, kFolder);
}

TEST_F(Sequencer, DefaultsGiveTwoSecondsAndABlankFolderThatShowsTheErrorBox) {
    ASSERT_EQ(fake.run(program), std::nullopt);
    EXPECT_EQ(fake.timerIntervals["Form1.Timer1"], 2000);
    EXPECT_EQ(program.values().strPhotoDir, u" ");
    fake.tick();
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].prompt, kMissingPhotos);
    EXPECT_EQ(fake.boxes[0].title, u"The Pelandra Omnarium Screen Saver");
}

TEST_F(Sequencer, AnUnusableStoredIntervalStillStartsTheShow) {
    for (const Text stored : {u"fast", u"0", u"-1", u"99999999"}) {
        FakePlatform other;
        other.stored[u"Interval"] = stored;
        Program p(other);
        ASSERT_EQ(other.run(p), std::nullopt) << toUtf8(stored);
        EXPECT_GE(other.timerIntervals["Form1.Timer1"], 1000);
        EXPECT_LE(other.timerIntervals["Form1.Timer1"], 3600000);
    }
}

TEST_F(Sequencer, FirstFileOfEachPassShowsOnThreeTicks) {
    addPhoto(u"A.JPG");
    addPhoto(u"B.JPG");
    addPhoto(u"C.JPG");
    start();
    std::vector<Text> seen;
    for (int i = 0; i < 11; ++i) {
        fake.tick();
        seen.push_back(photo().substr(Text(kFolder).size()));
    }
    EXPECT_EQ(seen, (std::vector<Text>{u"A.JPG", u"A.JPG", u"A.JPG", u"B.JPG", u"C.JPG", u"A.JPG",
                                       u"A.JPG", u"A.JPG", u"B.JPG", u"C.JPG", u"A.JPG"}));
    EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(Sequencer, OneFileShowsOnEveryTick) {
    addPhoto(u"ZZ01.JPG");
    start();
    for (int i = 0; i < 8; ++i) {
        fake.tick();
        EXPECT_EQ(caption(), u"Pelandra Philately ");
    }
    EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(Sequencer, CaptionFollowsEachPhotoAndNamesAreLoadedAsListed) {
    addPhoto(u"63coupe.jpg");
    addPhoto(u"gh_print.jpg");
    start();
    fake.tick();
    EXPECT_EQ(photo(), Text(kFolder) + u"63coupe.jpg");  // not the upper-cased name
    EXPECT_EQ(caption(), u"  1963 Pelandra   ");
    fake.tick();
    fake.tick();
    fake.tick();
    EXPECT_EQ(caption(), u"Museum Art Print ");
}

TEST_F(Sequencer, EmptyFolderReportsEveryTickAndRecoversWhenPhotosAppear) {
    fake.folders[kFolder] = {};
    start();
    for (int i = 1; i <= 6; ++i) {
        fake.tick();
        EXPECT_EQ(fake.boxes.size(), static_cast<size_t>(i));
    }
    EXPECT_EQ(caption(), u"Tessaly Software");
    addPhoto(u"ZY01.JPG");
    fake.tick();
    EXPECT_EQ(fake.boxes.size(), 6u);
    EXPECT_EQ(caption(), u"Pelandra Coin ");
}

TEST_F(Sequencer, UnreadableDiscKeepsRetryingTheWholeListing) {
    addPhoto(u"ZZ01.JPG");
    fake.mediumUnreadable = true;
    start();
    for (int i = 0; i < 4; ++i) fake.tick();
    EXPECT_EQ(fake.boxes.size(), 4u);
    EXPECT_EQ(program.showWindow()->passStarts(), 0);
    fake.mediumUnreadable = false;
    fake.tick();
    EXPECT_EQ(fake.boxes.size(), 4u);
    EXPECT_EQ(caption(), u"Pelandra Philately ");
}

TEST_F(Sequencer, ABadFileIsOneErrorBoxAndThePreviousPhotoStays) {
    addPhoto(u"A.JPG");
    addPhoto(u"B.JPG");
    fake.folders[kFolder].push_back(u"D.TXT");
    fake.otherFiles.insert(Text(kFolder) + u"D.TXT");
    addPhoto(u"C.JPG");
    start();
    for (int i = 0; i < 4; ++i) fake.tick();
    EXPECT_EQ(photo(), Text(kFolder) + u"B.JPG");
    fake.tick();
    EXPECT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(photo(), Text(kFolder) + u"B.JPG");
    fake.tick();
    EXPECT_EQ(photo(), Text(kFolder) + u"C.JPG");
    EXPECT_EQ(fake.boxes.size(), 1u);
}

TEST_F(Sequencer, ABadFirstFileIsReportedOnEachOfItsThreeTicks) {
    fake.folders[kFolder].push_back(u"D.TXT");
    fake.otherFiles.insert(Text(kFolder) + u"D.TXT");
    addPhoto(u"B.JPG");
    start();
    for (int i = 0; i < 4; ++i) fake.tick();
    EXPECT_EQ(fake.boxes.size(), 3u);
    EXPECT_EQ(photo(), Text(kFolder) + u"B.JPG");
}

TEST_F(Sequencer, TicksWhileTheErrorBoxIsOpenDoNothing) {
    start();  // folder path with no files
    int nested = 0;
    fake.whileMessageBoxOpen = [&] {
        if (nested++ < 5) fake.tick();
    };
    fake.tick();
    EXPECT_EQ(fake.boxes.size(), 1u);
    fake.whileMessageBoxOpen = nullptr;
    fake.tick();
    EXPECT_EQ(fake.boxes.size(), 2u);
}

TEST_F(Sequencer, FolderWithoutMarkerOrSeparator) {
    fake.stored[u"PelandrasDir"] = u"/photos/";
    fake.folders[u"/photos/"] = {u"ZZ01.JPG"};
    fake.pictures.insert(u"/photos/ZZ01.JPG");
    ASSERT_EQ(fake.run(program), std::nullopt);
    fake.tick();
    EXPECT_EQ(photo(), u"/photos/ZZ01.JPG");
    EXPECT_EQ(caption(), u"  200/ Pelandra   ");  // characters 7 and 8 are "S/"

    FakePlatform other;
    other.stored[u"PelandrasDir"] = u"/photos";
    other.folders[u"/photos"] = {u"ZZ01.JPG"};
    other.pictures.insert(u"/photos/ZZ01.JPG");
    Program p(other);
    other.run(p);
    other.tick();
    EXPECT_EQ(other.loadAttempts.back(), u"/photosZZ01.JPG");
    EXPECT_EQ(other.boxes.size(), 1u);
}

}  // namespace
}  // namespace pelandra::testing

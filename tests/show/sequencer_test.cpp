#include <gtest/gtest.h>

#include <algorithm>

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

namespace pelandra::testing {
namespace {

// The names the ticks showed, a box as "!"; the folder is taken off.
std::vector<Text> walk(FakePlatform& fake, const Text& folder, int ticks) {
    std::vector<Text> seen;
    for (int i = 0; i < ticks; ++i) {
        const size_t boxes = fake.boxes.size();
        fake.tick();
        if (fake.decoding()) fake.finishDecoding();
        const Text shown = fake.loadedPictures["Form1.Image1"];
        seen.push_back(fake.boxes.size() > boxes ? Text(u"!") : shown.substr(folder.size()));
    }
    return seen;
}

struct WalkCase {
    const char* what;
    std::vector<Text> names;
    std::vector<Text> bad;  // names that are not pictures
    std::vector<Text> expected;
};

// The next picture is decoded during the interval; the walk the user sees is the one
// without it, decoding at once or in the background.
TEST(DecodeAhead, NeverChangesTheWalk) {
    const Text folder = u"/cd/pyrnox/";
    const WalkCase cases[] = {
        {"three files",
         {u"A", u"B", u"C"},
         {},
         {u"A", u"A", u"A", u"B", u"C", u"A", u"A", u"A", u"B"}},
        {"one file", {u"A"}, {}, {u"A", u"A", u"A", u"A", u"A"}},
        {"empty folder", {}, {}, {u"!", u"!", u"!", u"!", u"!"}},
        {"a bad file between B and C",
         {u"A", u"B", u"D", u"C"},
         {u"D"},
         {u"A", u"A", u"A", u"B", u"!", u"C", u"A"}},
        {"a bad first file",
         {u"D", u"B"},
         {u"D"},
         {u"!", u"!", u"!", u"B", u"!", u"!", u"!", u"B"}},
    };
    for (const auto& c : cases) {
        for (const bool background : {false, true}) {
            FakePlatform fake;
            fake.decodeInBackground = background;
            fake.stored[u"PelandrasDir"] = folder;
            fake.folders[folder] = c.names;
            for (const auto& name : c.names) fake.pictures.insert(folder + name);
            for (const auto& name : c.bad) fake.otherFiles.insert(folder + name);
            Program program(fake);
            ASSERT_EQ(fake.run(program), std::nullopt);
            EXPECT_EQ(walk(fake, folder, int(c.expected.size())), c.expected)
                << c.what << (background ? " (background)" : "");
        }
    }
}

TEST(DecodeAhead, AFolderThatAppearsLaterIsShownFromTheNextTick) {
    const Text folder = u"/cd/pyrnox/";
    FakePlatform fake;
    fake.stored[u"PelandrasDir"] = folder;
    Program program(fake);
    fake.run(program);
    EXPECT_EQ(walk(fake, folder, 4), (std::vector<Text>{u"!", u"!", u"!", u"!"}));
    fake.folders[folder] = {u"A", u"B"};
    fake.pictures = {folder + u"A", folder + u"B"};
    // The pass under way when they appeared goes on: its start was already counted.
    EXPECT_EQ(walk(fake, folder, 6), (std::vector<Text>{u"A", u"A", u"B", u"A", u"A", u"A"}));
}

class Ahead : public ShowTest {
  protected:
    void SetUp() override {
        for (auto name : {u"A.JPG", u"B.JPG", u"C.JPG"}) addPhoto(name);
        fake.decodeInBackground = true;
        start();
    }
    Text file(const char16_t* name) { return Text(kFolder) + name; }
};

TEST_F(Ahead, EachFileIsDecodedOnceAndBeforeItsTick) {
    fake.tick();
    fake.finishDecoding();
    EXPECT_EQ(photo(), file(u"A.JPG"));
    // Ticks 2 to 5 show A, A, B, C; after each the next tick's file is decoding already.
    for (auto [shown, next] : {std::pair{u"A.JPG", u"A.JPG"},
                               {u"A.JPG", u"B.JPG"},
                               {u"B.JPG", u"C.JPG"},
                               {u"C.JPG", u"A.JPG"}}) {
        fake.finishDecoding();  // the interval passes
        fake.tick();
        EXPECT_EQ(photo(), file(shown));  // at once: the tick did not wait
        EXPECT_EQ(fake.loadAttempts.back(), file(next)) << "after showing " << toUtf8(shown);
    }
    EXPECT_EQ(fake.loadAttempts,
              (std::vector<Text>{file(u"A.JPG"), file(u"B.JPG"), file(u"C.JPG"), file(u"A.JPG")}));
}

TEST_F(Ahead, TicksWhileAPictureDecodesAreSkippedAndInputStillEnds) {
    fake.tick();
    ASSERT_TRUE(fake.decoding());
    fake.tick();
    fake.tick();
    EXPECT_EQ(program.showWindow()->passStarts(), 1);
    EXPECT_EQ(fake.loadAttempts.size(), 1u);
    EXPECT_EQ(fake.captions["Form1.panYear"], u"Tessaly Software");
    fake.finishDecoding();
    EXPECT_EQ(photo(), file(u"A.JPG"));
    EXPECT_EQ(caption(), u"  200. Pelandra   ");

    // The next tick decodes again (the file changed) and a key ends the show meanwhile.
    fake.fileVersions[file(u"A.JPG")] = 1;
    fake.tick();
    EXPECT_TRUE(fake.decoding());
    EXPECT_EQ(fake.fire("Form1", "Form1", EventKind::KeyDown), 0);
}

TEST_F(Ahead, AFileChangedAfterItWasDecodedAheadIsDecodedAgainAtItsTick) {
    for (int i = 0; i < 3; ++i) {
        fake.tick();
        fake.finishDecoding();
    }
    ASSERT_EQ(fake.loadAttempts.back(), file(u"B.JPG"));
    fake.finishDecoding();
    fake.fileVersions[file(u"B.JPG")] = 7;
    fake.tick();
    EXPECT_TRUE(fake.decoding());
    fake.finishDecoding();
    EXPECT_EQ(photo(), file(u"B.JPG"));
    EXPECT_EQ(std::count(fake.loadAttempts.begin(), fake.loadAttempts.end(), file(u"B.JPG")), 2);
}

TEST_F(Ahead, AFailureMetWhileReadingAheadIsReportedAtItsOwnTickOnce) {
    fake.nameReadFailsAt = 2;  // reading C fails once: the listing is asked for it ahead
    const auto seen = walk(fake, kFolder, 7);
    EXPECT_EQ(seen, (std::vector<Text>{u"A.JPG", u"A.JPG", u"A.JPG", u"B.JPG", u"!", u"C.JPG",
                                       u"A.JPG"}));
    EXPECT_EQ(fake.boxes.size(), 1u);
}

}  // namespace
}  // namespace pelandra::testing

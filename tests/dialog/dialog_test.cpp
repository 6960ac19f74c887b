#include <gtest/gtest.h>

#include "dialog/delay_ring.h"
#include "fake_platform.h"
#include "program/program.h"
#include "settings/number_text.h"
#include "settings/settings.h"

namespace pelandra::testing {
namespace {

class Dialog : public ::testing::Test {
  protected:
    void open() {
        fake.commandLineText = u"/c";
        ASSERT_EQ(fake.run(program), std::nullopt);
    }
    void down() { fake.fire("frmSSSettings", "SpinInterval", EventKind::SpinDown); }
    void up() { fake.fire("frmSSSettings", "SpinInterval", EventKind::SpinUp); }
    std::optional<int> click(const char* button) {
        return fake.fire("frmSSSettings", button, EventKind::Click);
    }
    Text delayCaption() { return fake.captions["frmSSSettings.panInterval"]; }

    FakePlatform fake;
    Program program{fake};
};

TEST(DelayRing, StepsVisitEveryValueAndWrapBothWays) {
    const auto ring = dialog::delayRing();
    ASSERT_EQ(ring.size(), 16u);
    for (size_t i = 0; i < ring.size(); ++i) {
        EXPECT_EQ(dialog::delayUp(ring[i]), ring[(i + 1) % ring.size()]);
        EXPECT_EQ(dialog::delayDown(ring[(i + 1) % ring.size()]), ring[i]);
    }
    EXPECT_THROW(dialog::delayDown(INT32_MIN + 10), RuntimeError);
}

TEST_F(Dialog, OpensAtTheStoredDelayWhenItIsOnTheRing) {
    const struct {
        std::optional<Text> stored;
        int32_t delay;
        Text caption;
    } cases[] = {{std::nullopt, 2000, u"2 Seconds"}, {u"15", 15000, u"15 Seconds"},
                 {u"1", 1000, u"1 Second"},          {u"7", 1000, u"1 Second"},
                 {u"abc", 2000, u"2 Seconds"},       {u"120", 1000, u"1 Second"}};
    for (const auto& c : cases) {
        FakePlatform f;
        if (c.stored) f.stored[u"Interval"] = *c.stored;
        f.commandLineText = u"/c:1234";
        Program p(f);
        f.run(p);
        EXPECT_EQ(p.values().lngDelay, c.delay);
        EXPECT_EQ(f.captions["frmSSSettings.panInterval"], c.caption);
        EXPECT_EQ(f.shown, std::vector<std::string>{"frmSSSettings"});
        EXPECT_TRUE(f.saves.empty());
    }
}

TEST_F(Dialog, CaptionsAlongTheRing) {
    fake.stored[u"Interval"] = u"1";
    open();
    down();
    EXPECT_EQ(delayCaption(), u"60 Seconds");
    up();
    EXPECT_EQ(delayCaption(), u"1 Second");
    up();
    EXPECT_EQ(delayCaption(), u"2 Seconds");
    for (int i = 0; i < 3; ++i) up();
    EXPECT_EQ(delayCaption(), u"5 Seconds");
    up();
    EXPECT_EQ(delayCaption(), u"10 Seconds");
    down();
    down();
    EXPECT_EQ(delayCaption(), u"4 Seconds");
    for (int i = 0; i < 16; ++i) up();
    EXPECT_EQ(delayCaption(), u"4 Seconds");
}

TEST_F(Dialog, SetStoresWholeSecondsForEveryRingValue) {
    fake.stored[u"Interval"] = u"1";
    open();
    for (int32_t delay : dialog::delayRing()) {
        click("SSCommand4");
        EXPECT_EQ(fake.stored[u"Interval"], settings::delayToText(delay));
        EXPECT_EQ(fake.stored[u"Interval"], numberToText(delay / 1000));
        up();
    }
    EXPECT_EQ(fake.saves.size(), 16u);
    EXPECT_FALSE(fake.stored.count(u"PelandrasDir"));
    EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(Dialog, SetTwiceStoresTheSameTextAndChangesNothingElse) {
    open();
    up();
    const Text before = delayCaption();
    click("SSCommand4");
    click("SSCommand4");
    EXPECT_EQ(fake.saves, (std::vector<Text>{u"Interval=3", u"Interval=3"}));
    EXPECT_EQ(delayCaption(), before);
    EXPECT_FALSE(fake.exitStatus);
}

TEST_F(Dialog, AFailedSetSaysWhyAndKeepsTheDialogOpen) {
    fake.stored[u"Interval"] = u"15";
    open();
    up();
    fake.failSaves = RuntimeError{70, u"Permission denied: /home/u/.config/x.ini"};
    EXPECT_EQ(click("SSCommand4"), std::nullopt);
    EXPECT_EQ(fake.stored[u"Interval"], u"15");
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].prompt,
              u"The photo delay could not be saved.\r\n\r\nPermission denied: "
              u"/home/u/.config/x.ini");
    fake.failSaves.reset();
    click("SSCommand4");
    EXPECT_EQ(fake.stored[u"Interval"], u"20");
}

TEST_F(Dialog, HelpShowsTheSameTextEveryTime) {
    open();
    click("SSCommand5");
    click("SSCommand5");
    ASSERT_EQ(fake.boxes.size(), 2u);
    const auto& box = fake.boxes[1];
    EXPECT_EQ(box.title, u"The Pelandra Omnarium Screen Saver Settings");
    EXPECT_EQ(box.prompt, fake.boxes[0].prompt);
    EXPECT_EQ(box.prompt.substr(0, 70),
              u"The Pelandra Omnarium Screen Saver must be initially installed from \r\n");
    EXPECT_NE(box.prompt.find(u"presentation.\r\n\r\nAdditional"), Text::npos);
    EXPECT_EQ(box.prompt.substr(box.prompt.size() - 35),
              u"the Pelandra Omnarium software.\r\n\r\n");
    size_t lines = 0;
    for (size_t at = 0; (at = box.prompt.find(u"\r\n", at)) != Text::npos; at += 2) ++lines;
    EXPECT_EQ(lines, 10u);
}

TEST_F(Dialog, ExitEndsWithThePointerVisible) {
    open();
    fake.cursorCount = -2;
    EXPECT_EQ(click("SSCommand6"), 0);
    EXPECT_GE(fake.cursorCount, 1);
}

}  // namespace
}  // namespace pelandra::testing

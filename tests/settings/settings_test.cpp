#include "settings/settings.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "settings/number_text.h"

namespace pelandra {
namespace {

TEST(IntervalText, ConvertsRoundsAndFallsBack) {
    const struct {
        Text stored;
        int32_t seconds;
    } cases[] = {
        {u"2", 2},    {u"15", 15},     {u"60", 60},     {u" 7 ", 7},
        {u"\t5", 5},  {u"2.5", 2},     {u"3.5", 4},     {u"4.4", 4},
        {u"1e1", 10}, {u"+9", 9},      {u"", 2},        {u" ", 2},
        {u"abc", 2},  {u"5s", 2},      {u"0x10", 2},    {u"0", 2},
        {u"-5", 2},   {u"0.4", 2},     {u"0.5", 2},     {u"inf", 2},
        {u"nan", 2},  {u"3600", 3600}, {u"3601", 3600}, {u"99999999999", 3600},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(settings::intervalFromText(c.stored), c.seconds) << toUtf8(c.stored);
    }
}

TEST(IntervalText, NumbersBeyondADoubleArePlainlyTooBigOrTooSmall) {
    const std::pair<Text, int32_t> cases[] = {
        {u"1e400", 3600}, {u"1e99999999999999999999", 3600}, {Text(1'000'000, u'9'), 3600},
        {u"-1e400", 2},   {u"-" + Text(1'000'000, u'9'), 2}, {u"1e-400", 2},
    };
    for (const auto& [stored, seconds] : cases) {
        EXPECT_EQ(settings::intervalFromText(stored), seconds) << toUtf8(stored).substr(0, 30);
    }
}

TEST(NumberText, ReadsOnlyPlainDecimalsAndKeepsTheirSize) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<Text, double> numbers[] = {
        {u"12", 12.0},    {u" -1.5 ", -1.5}, {u".5", 0.5},      {u"5.", 5.0},
        {u"2E+2", 200.0}, {u"1e400", inf},   {u"-1e400", -inf}, {u"1e-400", 0.0},
    };
    for (const auto& [text, number] : numbers) {
        EXPECT_EQ(textToNumber(text), number) << toUtf8(text);
    }
    for (const Text text : {u"", u".", u"1e", u"e5", u"--1", u"1 2", u"inf", u"0x1p3", u"\uff11"}) {
        EXPECT_EQ(textToNumber(text), std::nullopt) << toUtf8(text);
    }
}

TEST(WatchMinutes, RoundedAndHeldToADay) {
    const std::optional<int32_t> none;
    const std::vector<std::pair<TextView, std::optional<int32_t>>> cases = {
        {u"", none},     {u"5", 5},       {u" 7 ", 7},      {u"1", 1},
        {u"0", 1},       {u"-3", 1},      {u"1440", 1440},  {u"1441", 1440},
        {u"1e9", 1440},  {u"2.5", 2},     {u"3.5", 4},      {u"ten", none},
        {u"5min", none}, {u"0x10", none}, {u"1e999", 1440}, {u"-1e999", 1},
    };
    for (const auto& [text, minutes] : cases) {
        EXPECT_EQ(settings::minutesFromText(text), minutes) << toUtf8(text);
    }
}

TEST(IntervalText, DelayIsStoredAsWholeSeconds) {
    EXPECT_EQ(settings::delayToText(1000), u"1");
    EXPECT_EQ(settings::delayToText(15000), u"15");
    EXPECT_EQ(settings::delayToText(60000), u"60");
    EXPECT_EQ(numberToText(1.5), u"1.5");
    EXPECT_EQ(numberToText(-3), u"-3");
}

}  // namespace
}  // namespace pelandra

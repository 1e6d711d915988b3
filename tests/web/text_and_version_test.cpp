#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <string>

#include "platform/os/local_time.h"

#include "web/day_key.h"
#include "web/text_encoding.h"
#include "web/versions.h"

namespace talbex::web {
namespace {

TEST(EncodeDoubleByteText, ChineseCharactersBecomeTheirBytesAndLatinStays) {
    // 张三 = E5 BC A0, E4 B8 89
    EXPECT_EQ(EncodeDoubleByteText("张三 Zhang"), "%E5%BC%A0%E4%B8%89 Zhang");
}

TEST(EncodeDoubleByteText, AsciiRunsAreNotEncodedAtAll) {
    EXPECT_EQ(EncodeDoubleByteText("a b&c=d%20+"), "a b&c=d%20+");
    EXPECT_EQ(EncodeDoubleByteText(""), "");
}

TEST(EncodeDoubleByteText, OtherCharactersOfEveryLengthAreEncoded) {
    EXPECT_EQ(EncodeDoubleByteText("é"), "%C3%A9");
    EXPECT_EQ(EncodeDoubleByteText("\xF0\x9F\x93\xB7"), "%F0%9F%93%B7");  // camera emoji
    EXPECT_EQ(EncodeDoubleByteText("（A）"), "%EF%BC%88A%EF%BC%89");
}

TEST(EncodeDoubleByteText, BytesThatAreNoCharacterAreDropped) {
    EXPECT_EQ(EncodeDoubleByteText("a\x80z"), "az");    // stray continuation
    EXPECT_EQ(EncodeDoubleByteText("a\xE5\xBC"), "a");  // cut at the end
    EXPECT_EQ(EncodeDoubleByteText("\xE5"
                                   "A\xBC"),
              "A");                                             // broken by ASCII
    EXPECT_EQ(EncodeDoubleByteText("\xC0\xAF/"), "/");          // overlong "/"
    EXPECT_EQ(EncodeDoubleByteText("\xED\xA0\x80x"), "x");      // surrogate
    EXPECT_EQ(EncodeDoubleByteText("\xF4\x90\x80\x80x"), "x");  // above U+10FFFF
    EXPECT_EQ(EncodeDoubleByteText("\xFF\xE4\xB8\x89"), "%E4%B8%89");
}

TEST(PercentEncode, LettersAndDigitsStaySpaceIsPlusRestIsHex) {
    EXPECT_EQ(PercentEncode("aZ09 \t-_.~&=\x01\xE5"), "aZ09++%2D%5F%2E%7E%26%3D%01%E5");
}

TEST(CompareVersions, ReadsTheFirstFiveCharactersWithoutDots) {
    EXPECT_TRUE(CompareVersions("4.1.0", "4.0.1"));
    EXPECT_TRUE(CompareVersions("4.0.2", "4.0.1"));
    EXPECT_FALSE(CompareVersions("4.0.1", "4.0.1"));
    EXPECT_FALSE(CompareVersions("4.0.10", "4.0.1"));  // both read as 401
    EXPECT_FALSE(CompareVersions("", "4.0.1"));
    EXPECT_FALSE(CompareVersions("<html>", "4.0.1"));
    EXPECT_TRUE(CompareVersions("4.0.1", ""));
    EXPECT_EQ(VersionNumber("4.0.2/r/n"), 402);
    EXPECT_EQ(VersionNumber("12.3.4"), 123);  // only "12.3." is read
    EXPECT_EQ(VersionNumber("4.0a1"), 40);
}

TEST(DayKey, IsYearTimesHundredPlusMonthTimesTenPlusDay) {
    EXPECT_EQ(DayKey({2026, 12, 7}), 202727);
    EXPECT_EQ(DayKey({2026, 1, 1}), 202611);
    // Two dates that share a key, as the stored keys do.
    EXPECT_EQ(DayKey({2026, 1, 11}), DayKey({2026, 2, 1}));
    EXPECT_EQ(DayKey({2026, 1, 11}), 202621);
}

TEST(DayKey, TodayFollowsTheProgramClock) {
    std::tm noon{};
    noon.tm_year = 2026 - 1900;
    noon.tm_mon = 1;  // February
    noon.tm_mday = 1;
    noon.tm_hour = 12;
    noon.tm_isdst = -1;
    const auto when = std::chrono::system_clock::from_time_t(std::mktime(&noon));
    os::SetWallClock([when] { return when; });
    const LocalDate today = TodayLocal();
    os::SetWallClock({});
    EXPECT_EQ(today.year, 2026);
    EXPECT_EQ(today.month, 2);
    EXPECT_EQ(today.day, 1);
    EXPECT_EQ(DayKey(today), 202621);
}

}  // namespace
}  // namespace talbex::web

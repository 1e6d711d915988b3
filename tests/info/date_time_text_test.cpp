// The standard date-and-time forms the clock window shows.
#include <gtest/gtest.h>

#include "info/date_time_text.h"

namespace talbex::info {
namespace {

TEST(DateTimeTextTest, StandardFormsOfBothLanguages) {
    struct Case {
        RunningClock clock;
        std::string english;
        std::string chinese;
    };
    const Case cases[] = {
        {{2024, 2, 29, 0, 0, 0},
         "Thu 29 Feb 2024 12:00:00 AM UTC",
         "2024年02月29日 星期四 00时00分00秒"},
        {{2026, 12, 7, 12, 5, 9},
         "Mon 07 Dec 2026 12:05:09 PM UTC",
         "2026年12月07日 星期一 12时05分09秒"},
        {{2000, 1, 2, 23, 59, 59},
         "Sun 02 Jan 2000 11:59:59 PM UTC",
         "2000年01月02日 星期日 23时59分59秒"},
        // Not a date: nothing rather than a made-up one.
        {{2023, 2, 29, 0, 0, 0}, "", ""},
        {{2024, 13, 1, 0, 0, 0}, "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StandardDateTimeText(3, c.clock, "UTC"), c.english);
        EXPECT_EQ(StandardDateTimeText(2, c.clock, "UTC"), c.chinese);
    }
    EXPECT_EQ(StandardDateTimeText(3, {2024, 2, 29, 0, 0, 0}, ""), "Thu 29 Feb 2024 12:00:00 AM");
}

}  // namespace
}  // namespace talbex::info

// The texts the camera-information windows make: the standard date-and-time forms and
// the owner texts cut to the camera's limit.
#include <gtest/gtest.h>

#include "info/camera_texts.h"
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
        {{2024, 1, 1, 24, 0, 0}, "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StandardDateTimeText(3, c.clock, "UTC"), c.english);
        EXPECT_EQ(StandardDateTimeText(2, c.clock, "UTC"), c.chinese);
    }
    EXPECT_EQ(StandardDateTimeText(3, {2024, 2, 29, 0, 0, 0}, ""), "Thu 29 Feb 2024 12:00:00 AM");
}

TEST(CameraTextTest, LongTextsAreCutOnAWholeCharacter) {
    struct Case {
        std::string text;
        std::string kept;
    };
    const std::string a98(98, 'a');
    const Case cases[] = {
        {std::string(99, 'a'), std::string(99, 'a')},
        {std::string(150, 'a'), std::string(99, 'a')},
        {a98 + "é" + "z", a98},                              // two bytes at 98..99
        {a98 + "a新", a98 + "a"},                            // three bytes at 99..101
        {std::string(96, 'a') + "😀", std::string(96, 'a')},  // four bytes at 96..99
        {std::string(95, 'a') + "😀x", std::string(95, 'a') + "😀"},
        {"", ""},
    };
    for (const Case& c : cases) {
        const std::string kept = CutToCameraText(c.text);
        EXPECT_EQ(kept, c.kept) << c.text.size();
        EXPECT_LE(kept.size(), kMaxCameraTextBytes);
    }
}

}  // namespace
}  // namespace talbex::info

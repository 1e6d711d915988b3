// Setting the camera's clock from the camera-parameters window: the clock window with
// both clocks running, Cancel, and OK with the time of pressing it.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

#include "camera/sdk/sim/camera_clock.h"
#include "info/camera_info_fixture.h"
#include "info/camera_time.h"
#include "info/date_time_text.h"
#include "info/info_texts.h"
#include "platform/os/local_time.h"

namespace talbex::info::testing {
namespace {

// A moment with milliseconds, today.
system_clock::time_point TodayAt437ms() {
    return std::chrono::floor<std::chrono::seconds>(system_clock::now()) + 437ms;
}

std::string Standard(int language, RunningClock clock) {
    return StandardDateTimeText(language, clock, LocalZoneAbbreviation());
}

TEST_F(CameraInfoTest, TheClockWindowShowsBothClocksRunningInTheLanguageGiven) {
    const SdkTime read{2024, 2, 28, 23, 59, 59, 0};
    FixedWallClock computer(TodayAt437ms());
    const RunningClock now = RunningClock::FromLocalTime(os::Now());
    for (int language : {3, 2}) {
        Cameras({CameraWithClock(read)});
        auto open = Open(language);
        open->Click(CMSG::kSynchTime);
        CSYNCTIMER* clock = open->ClockWindow();
        ASSERT_NE(clock, nullptr);
        EXPECT_EQ(clock->GetWindowText(), language == 3 ? "Sync Camera Time" : "同步相机时间");
        EXPECT_EQ(
            clock->Item(CSYNCTIMER::kHeading).GetWindowText(),
            language == 3 ? "Sync Camera datetime to local computer" : "将相机同步为电脑时间？");
        // The camera's clock as read (the simulated one has run on for less than a second).
        EXPECT_EQ(clock->Item(CSYNCTIMER::kCameraTime).GetWindowText(),
                  Standard(language, RunningClock::FromRecord(read)));
        EXPECT_EQ(clock->Item(CSYNCTIMER::kComputerTime).GetWindowText(), Standard(language, now));
        Tick(*open);  // into the next day, a leap day
        EXPECT_EQ(clock->Item(CSYNCTIMER::kCameraTime).GetWindowText(),
                  language == 3
                      ? "Thu 29 Feb 2024 12:00:00 AM" + (LocalZoneAbbreviation().empty()
                                                             ? std::string()
                                                             : " " + LocalZoneAbbreviation())
                      : "2024年02月29日 星期四 00时00分00秒");
        open->AnswerClockWindow(ui::kIdCancel);
    }
}

TEST_F(CameraInfoTest, ACameraClockThatCannotBeReadShowsTheComputersTimeTwice) {
    sim::CameraSettings settings;
    settings.clock = std::nullopt;
    Cameras({settings});
    FixedWallClock computer(TodayAt437ms());
    auto open = Open(3);
    open->Click(CMSG::kSynchTime);
    CSYNCTIMER* clock = open->ClockWindow();
    ASSERT_NE(clock, nullptr);
    const std::string now = Standard(3, RunningClock::FromLocalTime(os::Now()));
    EXPECT_EQ(clock->Item(CSYNCTIMER::kCameraTime).GetWindowText(), now);
    EXPECT_EQ(clock->Item(CSYNCTIMER::kComputerTime).GetWindowText(), now);
    open->AnswerClockWindow(ui::kIdCancel);
}

TEST_F(CameraInfoTest, CancelWritesNothingAndShowsNothing) {
    const SdkTime read{2020, 1, 1, 8, 0, 0, 0};
    auto camera = Cameras({CameraWithClock(read)})->Camera(0);
    auto open = Open(2);
    open->Click(CMSG::kSynchTime);
    open->AnswerClockWindow(ui::kIdCancel);
    EXPECT_TRUE(NewBoxes().empty());
    SdkTime now{};
    auto bytes = camera->PropertyBytes(kPropDateTime);
    ASSERT_TRUE(bytes && bytes->size() == sizeof now);
    std::memcpy(&now, bytes->data(), sizeof now);
    EXPECT_LT(sim::TimeToMilliseconds(now) - sim::TimeToMilliseconds(read), 60'000);
}

// The camera gets the computer's time at the moment OK is pressed, milliseconds
// included, not the time the window showed; a refused write says so.
TEST_F(CameraInfoTest, OkWritesTheTimeOfPressingIt) {
    struct Case {
        int language;
        bool refused;
        std::string message;
    };
    const Case cases[] = {
        {3, false, kSyncDoneEnglish},
        {2, false, kSyncDoneChinese},
        {3, true, kSyncFailedEnglish},
        {2, true, kSyncFailedChinese},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const SdkTime before{2020, 1, 1, 8, 0, 0, 0};
        auto camera = Cameras({CameraWithClock(before)})->Camera(0);
        const system_clock::time_point pressed = TodayAt437ms();
        FixedWallClock computer(pressed - 2h);
        auto open = Open(c.language);
        open->Click(CMSG::kSynchTime);
        Tick(*open);
        computer.Set(pressed);
        if (c.refused)
            camera->FailNext(sim::Operation::SetPropertyData, 1, kSdkErrDeviceBusy, kPropDateTime);
        open->AnswerClockWindow(ui::kIdOk);
        EXPECT_EQ(NewBoxes(), std::vector<std::string>{c.message});

        SdkTime now{};
        auto bytes = camera->PropertyBytes(kPropDateTime);
        ASSERT_TRUE(bytes && bytes->size() == sizeof now);
        std::memcpy(&now, bytes->data(), sizeof now);
        const SdkTime written = ToCameraTime(os::ToLocalTime(pressed));
        ASSERT_EQ(written.milliseconds, 437u);
        const int64_t since = sim::TimeToMilliseconds(now) - sim::TimeToMilliseconds(written);
        if (c.refused) {
            EXPECT_LT(sim::TimeToMilliseconds(now) - sim::TimeToMilliseconds(before), 60'000);
            continue;
        }
        // The camera's clock has run on only since the write.
        EXPECT_GE(since, 0);
        EXPECT_LT(since, 500);
        // The window's running clock now shows the camera's new time.
        Tick(*open);
        RunningClock expected = RunningClock::FromRecord(written);
        expected.Tick();
        EXPECT_EQ(open->Text(CMSG::kDateTime), CameraClockText(expected));
    }
}

}  // namespace
}  // namespace talbex::info::testing

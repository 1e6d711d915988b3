// Setting the camera's clock from the camera-parameters window: the clock window with
// both clocks running, Cancel, and OK with the time of pressing it.
#include <gtest/gtest.h>

#include <cstring>

#include "camera/sdk/sim/camera_clock.h"
#include "info/camera_info_fixture.h"
#include "info/camera_time.h"
#include "info/date_time_text.h"
#include "info/info_texts.h"

namespace talbex::info::testing {
namespace {

// A moment with milliseconds, today.
system_clock::time_point TodayAt437ms() {
    return std::chrono::floor<std::chrono::seconds>(system_clock::now()) + 437ms;
}

std::string Standard(int language, RunningClock clock) {
    return StandardDateTimeText(language, clock, LocalZoneAbbreviation());
}

// The camera's clock now, in milliseconds since 1970.
int64_t CameraClockMs(sim::SimCamera& camera) {
    SdkTime now{};
    const auto bytes = camera.PropertyBytes(kPropDateTime);
    if (bytes && bytes->size() == sizeof now)
        std::memcpy(&now, bytes->data(), sizeof now);
    return sim::TimeToMilliseconds(now);
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
        // The camera's clock as read (the simulated one has run on for less than a second).
        ui::Window& camera = clock->Item(CSYNCTIMER::kCameraTime);
        EXPECT_EQ(camera.GetWindowText(), Standard(language, RunningClock::FromRecord(read)));
        EXPECT_EQ(clock->Item(CSYNCTIMER::kComputerTime).GetWindowText(), Standard(language, now));
        Tick(*open);  // into the next day, a leap day
        EXPECT_EQ(camera.GetWindowText(), Standard(language, {2024, 2, 29, 0, 0, 0}));
        open->AnswerClockWindow(ui::kIdCancel);
    }
}

// The parameters window shows no clock; the clock window starts the camera's from the
// computer's time.
TEST_F(CameraInfoTest, ACameraClockThatCannotBeReadShowsTheComputersTimeTwice) {
    sim::CameraSettings settings;
    settings.clock = std::nullopt;
    Cameras({settings});
    FixedWallClock computer(TodayAt437ms());
    auto open = Open(3);
    Tick(*open);
    EXPECT_EQ(open->Text(CMSG::kDateTime), "");
    open->Click(CMSG::kSynchTime);
    CSYNCTIMER* clock = open->ClockWindow();
    ASSERT_NE(clock, nullptr);
    const std::string now = Standard(3, RunningClock::FromLocalTime(os::Now()));
    EXPECT_EQ(clock->Item(CSYNCTIMER::kCameraTime).GetWindowText(), now);
    EXPECT_EQ(clock->Item(CSYNCTIMER::kComputerTime).GetWindowText(), now);
    open->AnswerClockWindow(ui::kIdCancel);
}

// OK gives the camera the computer's time at the moment it is pressed, milliseconds
// included, not the time the window showed; a refused write says so; Cancel writes and
// shows nothing.
TEST_F(CameraInfoTest, OkWritesTheTimeOfPressingItAndCancelNothing) {
    struct Case {
        int language;
        int button;
        bool refused;
        std::vector<std::string> boxes;
    };
    const Case cases[] = {
        {3, ui::kIdOk, false, {kSyncDoneEnglish}},
        {2, ui::kIdOk, false, {kSyncDoneChinese}},
        {3, ui::kIdOk, true, {kSyncFailedEnglish}},
        {2, ui::kIdOk, true, {kSyncFailedChinese}},
        {2, ui::kIdCancel, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.language << " " << c.button << " " << c.refused);
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
        open->AnswerClockWindow(c.button);
        EXPECT_EQ(NewBoxes(), c.boxes);

        const SdkTime written = ToCameraTime(os::ToLocalTime(pressed));
        ASSERT_EQ(written.milliseconds, 437u);
        if (c.refused || c.button == ui::kIdCancel) {
            EXPECT_LT(CameraClockMs(*camera) - sim::TimeToMilliseconds(before), 60'000);
            continue;
        }
        // The camera's clock has run on only since the write.
        const int64_t since = CameraClockMs(*camera) - sim::TimeToMilliseconds(written);
        EXPECT_GE(since, 0);
        EXPECT_LT(since, 500);
        // The window's running clock now shows the camera's new time.
        Tick(*open);
        RunningClock expected = RunningClock::FromRecord(written);
        expected.Tick();
        EXPECT_EQ(open->Text(CMSG::kDateTime), CameraClockText(expected));
    }
}

// Closing the parameters window (the program ends, say) while the clock window is open
// ends both, and nothing is written.
TEST_F(CameraInfoTest, ClosingTheWindowEndsItsClockWindowToo) {
    const SdkTime before{2020, 1, 1, 8, 0, 0, 0};
    auto camera = Cameras({CameraWithClock(before)})->Camera(0);
    ParametersWindow open(home_, 3);
    Settle(*open.thread, *open.window);
    open.Click(CMSG::kSynchTime);
    ASSERT_NE(open.ClockWindow(), nullptr);
    ui::user::CloseWindow(*open.window);
    EXPECT_EQ(open.thread->Result(), ui::kIdCancel);
    EXPECT_TRUE(NewBoxes().empty());
    EXPECT_LT(CameraClockMs(*camera) - sim::TimeToMilliseconds(before), 60'000);
}

}  // namespace
}  // namespace talbex::info::testing

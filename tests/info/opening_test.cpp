// The camera-parameters window as a user opens it: from the main window's button, on a
// connection of its own, with the main window's presence probe resting meanwhile.
#include <gtest/gtest.h>

#include "info/camera_info_fixture.h"
#include "info/camera_parameters_runner.h"
#include "info/info_texts.h"
#include "shell/main_window_texts.h"

namespace talbex::info::testing {
namespace {

using Main = shell::CTALBEXMAIN;

class OpeningTest : public CameraInfoTest {
  protected:
    /// Clicks the main window's button and answers the window it opened, settled.
    CMSG* OpenFrom(Main& main, WindowThread& thread) {
        thread.Do([&] { EXPECT_TRUE(ui::user::Click(main, Main::kCameraParameters)); });
        auto* window = dynamic_cast<CMSG*>(ui::TopmostModal());
        if (window != nullptr)
            Settle(thread, *window);
        return window;
    }
    void Close(CMSG& window, WindowThread& thread, Main& main) {
        thread.Do([&] { ui::user::CloseWindow(window); });
        EXPECT_EQ(ui::TopmostModal(), &main);
    }
};

TEST_F(OpeningTest, SavedTextsAndTheSetClockAreWhatTheWindowShowsNextTime) {
    auto camera = Cameras({CameraWithClock({2019, 6, 1, 10, 0, 0, 0})})->Camera(0);
    shell::MainWindowSetup setup = Setup(1033);
    setup.runCameraParameters = CameraParametersRunner();
    Main main(setup);
    WindowThread thread(main);
    Advance(thread, 2000ms);
    ASSERT_TRUE(main.connected());

    CMSG* window = OpenFrom(main, thread);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->GetWindowText(), "Camera Para");
    EXPECT_EQ(window->Item(CMSG::kSerial).GetWindowText(), "2718281828");
    // The probe rests while the window is open: the window's connection stays usable.
    for (int second = 0; second < 4; ++second)
        Advance(thread, 1000ms);
    EXPECT_EQ(window->Item(CMSG::kDateTime).GetWindowText(), "2019-6-1 10:0:4");
    thread.Do([&] {
        ui::user::TypeText(*window, CMSG::kOwner, "Chen Jing");
        ui::user::TypeText(*window, CMSG::kArtist, "陈静");
        ui::user::Click(*window, CMSG::kSave);
    });
    thread.Do([&] { ui::user::Click(*window, CMSG::kSynchTime); });
    CSYNCTIMER* clock = dynamic_cast<CSYNCTIMER*>(ui::TopmostModal());
    ASSERT_NE(clock, nullptr);
    thread.Do([&] { ui::user::Click(*clock, ui::kIdOk); });
    EXPECT_EQ(NewBoxes(), (std::vector<std::string>{kSavedEnglish, kSyncDoneEnglish}));
    Close(*window, thread, main);
    EXPECT_FALSE(camera->SessionOpen());
    EXPECT_EQ(SdkLiveReferenceCount(), 0u);

    window = OpenFrom(main, thread);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Item(CMSG::kOwner).GetWindowText(), "Chen Jing");
    EXPECT_EQ(window->Item(CMSG::kArtist).GetWindowText(), "陈静");
    Advance(thread, 1000ms);
    const os::LocalTime today = os::Now();
    const std::string date = std::to_string(today.year) + "-" + std::to_string(today.month) + "-" +
                             std::to_string(today.day) + " ";
    const std::string shown = window->Item(CMSG::kDateTime).GetWindowText();
    EXPECT_EQ(shown.rfind(date, 0), 0u) << shown;
    Close(*window, thread, main);

    // The probe runs again once the window has closed: an unplugged camera is noticed.
    camera->Unplug();
    clock_.Advance(2000ms);
    EXPECT_EQ(thread.Result(), ui::kIdOk);
    EXPECT_EQ(NewBoxes(), std::vector<std::string>{shell::kCannotDetectEnglish});
}

TEST_F(OpeningTest, WithoutACameraTheButtonSaysSoAndOpensNothing) {
    auto camera = Cameras()->Camera(0);
    shell::MainWindowSetup setup = Setup(2052);
    setup.runCameraParameters = CameraParametersRunner();
    Main main(setup);
    WindowThread thread(main);
    Advance(thread, 2000ms);
    ASSERT_TRUE(main.connected());
    camera->Unplug();
    thread.Do([&] { EXPECT_TRUE(ui::user::Click(main, Main::kCameraParameters)); });
    EXPECT_EQ(ui::TopmostModal(), &main);
    EXPECT_EQ(NewBoxes(), std::vector<std::string>{kCannotDetectCamera});  // in either language
}

}  // namespace
}  // namespace talbex::info::testing

// The application object: one instance per user, the program folder, and the loop that
// builds a fresh main window when the camera is lost.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>

#include "platform/os/single_instance.h"
#include "platform/ui/dialog.h"
#include "shell/main_window_fixture.h"
#include "shell/main_window_texts.h"
#include "shell/vellmora_app.h"

namespace talbex::shell::testing {
namespace {

// Waits (bounded) until `done`.
bool Eventually(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

// Advances the clock and waits until the topmost window has done what fell due.
void AdvanceApp(ui::TestClock& clock, std::chrono::milliseconds by) {
    clock.Advance(by);
    std::this_thread::sleep_for(1ms);
    if (ui::Dialog* top = ui::TopmostModal())
        ui::user::WaitUntilIdle(*top, 5s);
}

using ApplicationTest = MainWindowTest;

TEST_F(ApplicationTest, ASecondInstanceIsRefused) {
    Cameras();
    os::SingleInstanceLock first(home_, "talbex");
    ASSERT_TRUE(first.acquired());
    CVellmoraApp app(Setup());
    EXPECT_EQ(app.Run(), 1);
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{kOnlyInstance});
    EXPECT_EQ(app.windowsBuilt(), 0);
}

TEST_F(ApplicationTest, AProgramFolderThatCannotBeMadeIsReportedClearly) {
    Cameras();
    std::ofstream(home_ + "plain-file") << "x";
    setenv("TALBEX_HOME", (home_ + "plain-file/talbex").c_str(), 1);
    CVellmoraApp app(Setup());
    EXPECT_EQ(app.Run(), 1);
    ASSERT_EQ(boxes_.Texts().size(), 1u);
    EXPECT_NE(boxes_.Texts()[0].find(home_ + "plain-file/talbex"), std::string::npos)
        << boxes_.Texts()[0];
    EXPECT_EQ(app.windowsBuilt(), 0);
}

TEST_F(ApplicationTest, ALostCameraRebuildsTheMainWindowAndClosingEndsTheProgram) {
    auto backend = Cameras();
    CVellmoraApp app(Setup(2052));
    std::atomic<int> result{-1};
    std::thread run([&] { result = app.Run(); });
    ASSERT_TRUE(Eventually([] { return ui::TopmostModal() != nullptr; }));
    AdvanceApp(clock_, 2000ms);  // found and identified
    ASSERT_EQ(Identified().size(), 1u);
    backend->Camera(0)->Unplug();
    AdvanceApp(clock_, 2000ms);  // the probe misses it
    EXPECT_TRUE(Eventually([&] { return app.windowsBuilt() == 2; }));
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{kCannotDetectChinese});
    // The new window looks for a camera again and finds it when it is back.
    backend->Camera(0)->PlugIn();
    ASSERT_TRUE(Eventually([] { return ui::TopmostModal() != nullptr; }));
    AdvanceApp(clock_, 2000ms);
    EXPECT_EQ(Identified().size(), 2u);
    // The close box ends the program, not just the window.
    ASSERT_TRUE(ui::user::CloseWindow(*ui::TopmostModal()));
    run.join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(app.windowsBuilt(), 2);
}

TEST_F(ApplicationTest, StopEndsTheProgramFromAnotherThread) {
    Cameras();
    CVellmoraApp app(Setup());
    std::thread run([&] { EXPECT_EQ(app.Run(), 0); });
    ASSERT_TRUE(Eventually([] { return ui::TopmostModal() != nullptr; }));
    app.RequestStop();
    run.join();
    EXPECT_EQ(app.windowsBuilt(), 1);
}

}  // namespace
}  // namespace talbex::shell::testing

// The camera-parameters window on the headless backend with simulated cameras and the
// test clock: opened on a connection of its own as the main window opens it, run on a
// window thread of its own, its fields filled once the session is open.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "camera/sdk/sdk.h"
#include "info/camera_parameters_dialog.h"
#include "info/clock_sync_dialog.h"
#include "platform/os/local_time.h"
#include "platform/ui/window_thread.h"
#include "shell/main_window_fixture.h"
#include "shell/staging_area.h"

namespace talbex::info::testing {

using namespace std::chrono_literals;
using std::chrono::system_clock;
using ui::testing::WindowThread;

/// The computer's clock stands where the test puts it.
class FixedWallClock {
  public:
    explicit FixedWallClock(system_clock::time_point at) {
        Set(at);
        old_ = os::SetWallClock([this] { return system_clock::time_point(at_.load()); });
    }
    ~FixedWallClock() { os::SetWallClock(std::move(old_)); }
    void Set(system_clock::time_point at) { at_ = at.time_since_epoch(); }

  private:
    std::atomic<system_clock::duration> at_{};
    os::WallClock old_;
};

inline sim::CameraSettings CameraWithClock(SdkTime clock) {
    sim::CameraSettings settings;
    settings.clock = clock;
    return settings;
}

/// A connection, the window on it and its window thread, closed in that order's reverse.
class ParametersWindow {
  public:
    ParametersWindow(const std::string& home, int language) {
        EXPECT_EQ(connection.OpenFirstCamera(), kSdkOk);
        EXPECT_EQ(connection.RegisterCommander(shell::IncomingFolder(home)), kSdkOk);
        window = std::make_unique<CMSG>(connection, language, "2718281828", home);
        thread = std::make_unique<WindowThread>(*window);
    }
    ~ParametersWindow() {
        thread.reset();
        window.reset();
        connection.Close();
    }

    ui::Window& Item(int id) { return window->Item(id); }
    std::string Text(int id) { return window->Item(id).GetWindowText(); }
    void Click(int id) {
        thread->Do([&] { EXPECT_TRUE(ui::user::Click(*window, id)) << id; });
    }
    void Type(int id, const std::string& text) {
        thread->Do([&] { EXPECT_TRUE(ui::user::TypeText(*window, id, text)) << id; });
    }
    /// The clock window opened by "Synch Time", once its loop runs.
    CSYNCTIMER* ClockWindow() { return dynamic_cast<CSYNCTIMER*>(ui::TopmostModal()); }
    /// Clicks OK or Cancel of the clock window.
    void AnswerClockWindow(int button) {
        CSYNCTIMER* clock = ClockWindow();
        ASSERT_NE(clock, nullptr);
        thread->Do([&] { EXPECT_TRUE(ui::user::Click(*clock, button)); });
        EXPECT_EQ(ui::TopmostModal(), window.get());
    }

    shell::CameraConnection connection;
    std::unique_ptr<CMSG> window;
    std::unique_ptr<WindowThread> thread;
};

class CameraInfoTest : public shell::testing::MainWindowTest {
  protected:
    /// Opens the window and lets its 500 ms pass once the worker has opened the session.
    std::unique_ptr<ParametersWindow> Open(int language) {
        auto open = std::make_unique<ParametersWindow>(home_, language);
        Settle(*open->thread, *open->window);
        return open;
    }
    /// Lets the window's wait before reading pass, once the camera's session is open (the
    /// worker opens it in real time, the window waits on the test clock).
    void Settle(WindowThread& thread, CMSG& window) {
        for (int i = 0; i < 2000 && !backend_->Camera(0)->SessionOpen(); ++i)
            std::this_thread::sleep_for(1ms);
        bool filled = false;
        for (int period = 0; period < 5 && !filled; ++period) {
            Advance(thread, 500ms);
            thread.Do([&] { filled = window.filled(); });
            if (!filled)
                std::this_thread::sleep_for(20ms);  // the worker's first read is under way
        }
        EXPECT_TRUE(filled);
    }
    /// One tick of the window's timers.
    void Tick(ParametersWindow& open) { Advance(*open.thread, 1000ms); }
    /// The message boxes shown since the last call.
    std::vector<std::string> NewBoxes() {
        const std::vector<std::string> all = boxes_.Texts();
        std::vector<std::string> fresh(all.begin() + static_cast<std::ptrdiff_t>(seen_), all.end());
        seen_ = all.size();
        return fresh;
    }

  private:
    size_t seen_ = 0;
};

}  // namespace talbex::info::testing

// The remote-control window on the headless backend with a simulated camera, the test
// clock and a program folder of its own, opened the way the main window's button opens
// it: a connection of its own, the window registered with the model, then the camera's
// event handlers, then the modal run on a window thread.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "camera/sdk/sdk_backend.h"
#include "camera/sdk/sim/sim_backend.h"
#include "platform/os/launcher.h"
#include "platform/os/local_time.h"
#include "platform/ui/change_listener.h"
#include "platform/ui/clock.h"
#include "platform/ui/headless_prompts.h"
#include "platform/ui/prompts.h"
#include "platform/ui/window_thread.h"
#include "remote/remote_control_dialog.h"
#include "remote/remote_control_runner.h"
#include "shell/camera_connection.h"
#include "shell/staging_area.h"
#include "support/temp_folder.h"

namespace talbex::remote::testing {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

/// Remembers what one control of the remote-control window went through, oldest first.
class RecordingChanges final : public ui::ChangeListener {
  public:
    void OnChange(const ui::ChangeEvent& e) override {
        std::lock_guard lock(mutex_);
        if (e.dialogId == 102)
            values_[{e.controlId, e.what}].push_back(e.value);
    }
    std::vector<std::string> Values(int controlId, ui::ChangeEvent::What what) {
        std::lock_guard lock(mutex_);
        return values_[{controlId, what}];
    }

  private:
    std::mutex mutex_;
    std::map<std::pair<int, ui::ChangeEvent::What>, std::vector<std::string>> values_;
};

/// Remembers what the window asked the desktop to open, and opens nothing.
class RecordingLauncher final : public os::Launcher {
  public:
    void OpenInBackground(const std::string& address) override {
        std::lock_guard lock(mutex_);
        opened_.push_back(address);
    }
    bool Run(const std::string&) override { return false; }
    std::vector<std::string> Opened() {
        std::lock_guard lock(mutex_);
        return opened_;
    }

  private:
    std::mutex mutex_;
    std::vector<std::string> opened_;
};

/// Waits (bounded, in real time) until `done` answers true.
inline bool Eventually(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s) {
    for (const auto end = std::chrono::steady_clock::now() + limit; !done();) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

/// The names in a folder (hidden ones included), sorted.
inline std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

/// Names() without the hidden files of transfers still being written.
inline std::vector<std::string> Landed(const std::string& folder) {
    std::vector<std::string> names = Names(folder);
    std::erase_if(names, [](const std::string& name) { return name.front() == '.'; });
    return names;
}

inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

/// The wall clock standing at 7 December 2026, 09:05:03 local time.
inline std::chrono::system_clock::time_point FixedNow() {
    std::tm tm{};
    strptime("2026-12-07 09:05:03", "%Y-%m-%d %H:%M:%S", &tm);
    tm.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&tm));
}
inline constexpr char kFixedName[] = "IMG20261207090503.JPG";

class RemoteControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("TALBEX_HOME", home_.path().c_str(), 1);
        ui::SetClock(&clock_);
        ui::SetMessageBoxes(&prompts_);
        ui::SetFolderChooser(&prompts_);
        ui::SetChangeListener(&changes_);
        previousWallClock_ = os::SetWallClock(FixedNow);
    }
    void TearDown() override {
        CloseWindow();
        os::SetWallClock(previousWallClock_);
        ui::SetChangeListener(nullptr);
        ui::SetFolderChooser(nullptr);
        ui::SetMessageBoxes(nullptr);
        ui::SetClock(nullptr);
        SdkUseBackend(nullptr);
        unsetenv("TALBEX_HOME");
    }

    /// Opens the window on a fresh simulated camera and waits for its session.
    void Open(int language = 3, sim::CameraSettings settings = {}) {
        backend_ = sim::InstallSimulatedCameras({std::move(settings)});
        camera_ = backend_->Camera(0);
        OpenAgain(language);
    }
    /// Opens the window again on the camera already attached.
    void OpenAgain(int language = 3) {
        connection_ = std::make_unique<shell::CameraConnection>();
        ASSERT_EQ(connection_->OpenFirstCamera(), kSdkOk);
        ASSERT_TRUE(shell::EnsureStagingFolder(incoming()));
        ASSERT_EQ(connection_->CreateCommander(incoming()), kSdkOk);
        dialog_ = RemoteControlRunner(&launcher_)(*connection_, language, {});
        ASSERT_NE(dialog_, nullptr);
        ASSERT_EQ(connection_->RegisterEventHandlers(), kSdkOk);
        thread_ = std::make_unique<ui::testing::WindowThread>(*dialog_);
        // Set up as the session open leaves it: the host's capacity is its last step (an
        // older camera's is sending its pictures to the computer).
        const bool older = connection_->model()->isLegacy();
        ASSERT_TRUE(Eventually([&] {
            return older ? camera_->PropertyValue(kPropSaveTo) == kSaveToHost
                         : camera_->Capacity().bytesPerSector > 0;
        }));
    }
    /// Closes the window with its close box and the connection after it.
    void CloseWindow() {
        if (thread_) {
            ui::user::CloseWindow(*dialog_);
            EXPECT_EQ(thread_->Result(5s), ui::kIdCancel);
            thread_.reset();
        }
        if (connection_)
            connection_->Close();
        connection_.reset();
        dialog_.reset();
    }

    CVellmoraDlg& window() { return static_cast<CVellmoraDlg&>(*dialog_); }
    ui::testing::WindowThread& thread() { return *thread_; }
    ui::Window& Item(int id) { return window().Item(id); }
    /// Runs `action` on the window thread, like a click, and waits for what it caused.
    void Do(const std::function<void()>& action) { thread_->Do(action); }
    /// A control's notification as the user's input makes it (hidden ones included).
    void Notify(int id, uint32_t code = ui::kBnClicked) {
        Do([&] { window().NotifyFromControl(id, code); });
    }
    /// Lets the window's clock run on and waits until the window did what fell due.
    void Advance(std::chrono::milliseconds by) {
        clock_.Advance(by);
        std::this_thread::sleep_for(1ms);
        ASSERT_TRUE(thread_->Idle());
    }
    /// Takes a picture with the window's button; answers the bytes the camera made.
    std::string Shoot() {
        const uint32_t before = camera_->PicturesTaken();
        Do([&] { ui::user::Click(window(), 1000); });
        EXPECT_TRUE(Eventually([&] { return camera_->PicturesTaken() > before; }));
        const std::vector<uint8_t> bytes = camera_->LastPicture();
        return std::string(bytes.begin(), bytes.end());
    }
    std::vector<std::string> Boxes() {
        std::vector<std::string> texts;
        for (const auto& shown : prompts_.ShownBoxes())
            texts.push_back(shown.text);
        return texts;
    }

    std::string incoming() const { return shell::IncomingFolder(home_.path()); }
    std::string home() const { return home_.path(); }

    talbex::testing::TempFolder home_{"talbex-remote"};
    talbex::testing::TempFolder saveTo_{"talbex-saveto"};
    ui::TestClock clock_;
    ui::HeadlessPrompts prompts_{nullptr};
    RecordingChanges changes_;
    RecordingLauncher launcher_;
    os::WallClock previousWallClock_;
    std::shared_ptr<sim::SimBackend> backend_;
    std::shared_ptr<sim::SimCamera> camera_;
    std::unique_ptr<shell::CameraConnection> connection_;
    std::unique_ptr<ui::Dialog> dialog_;
    std::unique_ptr<ui::testing::WindowThread> thread_;
};

}  // namespace talbex::remote::testing

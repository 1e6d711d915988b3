// The main window on the headless backend with simulated cameras, the test clock, a
// program folder of its own and message boxes answered (and recorded) by the test.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "camera/sdk/sdk.h"
#include "camera/sdk/sdk_backend.h"
#include "camera/sdk/sim/sim_backend.h"
#include "platform/os/launcher.h"
#include "platform/ui/clock.h"
#include "platform/ui/prompts.h"
#include "platform/ui/user_input.h"
#include "shell/talbex_main.h"
#include "support/sim_picture.h"
#include "support/temp_folder.h"

namespace talbex::shell::testing {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

/// Answers every box with OK (questions with No) and remembers the texts; a test may act
/// when a box is shown (turn the mode dial, ...).
class RecordingBoxes final : public ui::MessageBoxes {
  public:
    ui::MessageBoxAnswer Show(const std::string& text, const std::string&,
                              ui::MessageBoxKind kind) override {
        std::function<void(const std::string&)> hook;
        {
            std::lock_guard lock(mutex_);
            texts_.push_back(text);
            hook = onShow;
        }
        if (hook)
            hook(text);
        return kind == ui::MessageBoxKind::kOk ? ui::MessageBoxAnswer::kOk
                                               : ui::MessageBoxAnswer::kNo;
    }
    std::vector<std::string> Texts() {
        std::lock_guard lock(mutex_);
        return texts_;
    }
    int Count(const std::string& text) {
        int n = 0;
        for (const std::string& t : Texts())
            n += t == text;
        return n;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        texts_.clear();
    }
    std::function<void(const std::string&)> onShow;  // set before the window runs

  private:
    std::mutex mutex_;
    std::vector<std::string> texts_;
};

class RecordingLauncher final : public os::Launcher {
  public:
    void OpenInBackground(const std::string& address) override {
        std::lock_guard lock(mutex_);
        opened.push_back(address);
    }
    bool Run(const std::string& path) override {
        std::lock_guard lock(mutex_);
        opened.push_back(path);
        return true;
    }
    std::mutex mutex_;
    std::vector<std::string> opened;
};

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("TALBEX_HOME", home_.c_str(), 1);
        unsetenv("XDG_RUNTIME_DIR");  // the single-instance lock lives in home_
        ui::SetClock(&clock_);
        ui::SetMessageBoxes(&boxes_);
    }
    void TearDown() override {
        ui::SetMessageBoxes(nullptr);
        ui::SetClock(nullptr);
        SdkUseBackend(nullptr);
        unsetenv("TALBEX_HOME");
    }

    std::shared_ptr<sim::SimBackend> Cameras(std::vector<sim::CameraSettings> cameras = {{}}) {
        backend_ = sim::InstallSimulatedCameras(std::move(cameras));
        return backend_;
    }

    MainWindowSetup Setup(uint32_t localeId = 2052) {
        MainWindowSetup setup;
        setup.localeId = [localeId] { return localeId; };
        setup.networkAlive = [] { return false; };
        setup.launcher = &launcher_;
        setup.today = [] { return web::LocalDate{2026, 12, 8}; };
        setup.sessionWait = 2s;  // an upper bound: the wait ends once the session is open
        setup.http.connectTimeout = 2s;
        setup.http.totalTimeout = 3s;
        setup.onIdentified = [this](const web::CameraIdentity& identity) {
            std::lock_guard lock(mutex_);
            identified_.push_back(identity);
        };
        return setup;
    }

    std::vector<web::CameraIdentity> Identified() {
        std::lock_guard lock(mutex_);
        return identified_;
    }

    /// Lets the program's clock run on by `by` and waits until the window has done what
    /// fell due.
    template <class Window>
    void Advance(Window& window, std::chrono::milliseconds by) {
        clock_.Advance(by);
        std::this_thread::sleep_for(1ms);
        ASSERT_TRUE(window.Idle());
    }

    /// Waits (bounded) for a picture of the camera to land in the test-shot folder and be
    /// noted as the test shot (one that is not in `except`); answers its path, or empty.
    std::string PictureArrives(std::chrono::milliseconds limit = 10s,
                               const std::vector<std::string>& except = {}) {
        const auto end = std::chrono::steady_clock::now() + limit;
        do {
            std::error_code ec;
            for (const auto& entry : fs::directory_iterator(home_ + "test-shots/", ec)) {
                const std::string path = entry.path().string();
                if (entry.path().filename().string().find("IMG_") != std::string::npos &&
                    std::find(except.begin(), except.end(), path) == except.end() &&
                    Slurp(home_ + "test-shots/.recorded")
                            .find(' ' + entry.path().filename().string() + '\n') !=
                        std::string::npos)
                    return path;
            }
            std::this_thread::sleep_for(5ms);
        } while (std::chrono::steady_clock::now() < end);
        return {};
    }

    static std::string Slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    /// Sets a 32-bit property of the first camera, as its owner would on the body.
    static void SetOnCamera(SdkPropertyId id, uint32_t value) {
        ASSERT_EQ(SdkInitialize(), kSdkOk);
        SdkCameraListRef list = nullptr;
        SdkCameraRef camera = nullptr;
        ASSERT_EQ(SdkGetCameraList(&list), kSdkOk);
        ASSERT_EQ(SdkGetChildAtIndex(list, 0, &camera), kSdkOk);
        SdkRelease(list);
        ASSERT_EQ(SdkOpenSession(camera), kSdkOk);
        EXPECT_EQ(SdkSetPropertyData(camera, id, 0, sizeof value, &value), kSdkOk);
        SdkCloseSession(camera);
        SdkRelease(camera);
        SdkTerminate();
    }

    /// AF mode, image quality, ISO and shutter speed as the camera holds them now.
    static std::vector<std::optional<uint32_t>> ShotSettings(sim::SimCamera& camera) {
        return {camera.PropertyValue(kPropAfMode), camera.PropertyValue(kPropImageQuality),
                camera.PropertyValue(kPropIsoSpeed), camera.PropertyValue(kPropTv)};
    }

    talbex::testing::TempFolder folder_{"talbex-shell"};
    const std::string home_ = folder_.path();
    ui::TestClock clock_;
    RecordingBoxes boxes_;
    RecordingLauncher launcher_;
    std::shared_ptr<sim::SimBackend> backend_;
    std::mutex mutex_;
    std::vector<web::CameraIdentity> identified_;
};

}  // namespace talbex::shell::testing

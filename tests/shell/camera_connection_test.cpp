// A camera that never finishes opening (its worker stuck inside the camera library, as
// with a camera that drips its handshake) does not hold the window that closes its
// connection: the worker is left to end by itself, and when it does it reaches no window
// and no camera, and deletes what it still used.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "camera/camera_commander.h"
#include "camera/thread.h"
#include "shell/camera_connection.h"
#include "support/recording_observer.h"
#include "support/scripted_sdk.h"
#include "support/temp_folder.h"

namespace talbex::shell {
namespace {

using namespace std::chrono_literals;

TEST(CameraConnectionTest, AWorkerStuckInTheCameraLibraryIsLeftSafely) {
    auto sdk = testing::ScriptedSdk::Install();
    std::mutex mutex;
    std::condition_variable changed;
    bool entered = false, released = false;
    sdk->SetHook("OpenSession", [&] {
        std::unique_lock lock(mutex);
        entered = true;
        changed.notify_all();
        changed.wait(lock, [&] { return released; });
    });
    auto release = [&] {
        std::lock_guard lock(mutex);
        released = true;
        changed.notify_all();
    };
    // Without a bound the close would wait here for ever: freed after a while regardless.
    std::thread watchdog([&] {
        std::unique_lock lock(mutex);
        changed.wait_for(lock, 15s, [&] { return released; });
        released = true;
        changed.notify_all();
    });
    talbex::testing::TempFolder folder("talbex-connection");
    testing::RecordingObserver events;
    std::chrono::steady_clock::duration took{};
    {
        CameraConnection connection;
        ASSERT_EQ(connection.OpenFirstCamera(), kSdkOk);
        ASSERT_EQ(connection.RegisterCommander(folder.path()), kSdkOk);
        connection.model()->addObserver(&events);
        connection.Run();
        {
            std::unique_lock lock(mutex);
            ASSERT_TRUE(changed.wait_for(lock, 5s, [&] { return entered; }));
        }
        sdk->ClearCalls();
        const auto start = std::chrono::steady_clock::now();
        connection.Close();
        took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(camera::AbandonedThreads(), 1);
    }
    EXPECT_LT(took, camera::CameraCommander::kWorkerEndLimit + 1s);
    release();
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (camera::AbandonedThreads() > 0 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(camera::AbandonedThreads(), 0);  // ended, and deleted its commander and model
    watchdog.join();
    // The session open came back late: nothing of it reached the window or the camera.
    EXPECT_TRUE(events.Events().empty());
    EXPECT_TRUE(sdk->Calls("SetPropertyData").empty());
    EXPECT_TRUE(sdk->Calls("CloseSession").empty());
    EXPECT_TRUE(sdk->Calls("GetProperty").empty());
    testing::ScriptedSdk::Uninstall();
}

}  // namespace
}  // namespace talbex::shell

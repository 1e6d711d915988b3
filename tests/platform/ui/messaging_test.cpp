#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/os/wait_pump.h"
#include "platform/ui/clock.h"
#include "test_dialog.h"
#include "window_thread.h"

namespace talbex::ui::testing {
namespace {

using namespace std::chrono_literals;

TEST(Messages, PostedFromManyThreadsArriveAllInEachSendersOrder) {
    TestDialog dialog;
    std::mutex mutex;
    std::map<WParam, std::vector<LParam>> seen;
    std::atomic<bool> offThread{false};
    dialog.onPrivate = [&](WParam w, LParam l) {
        if (std::this_thread::get_id() != dialog.windowThread)
            offThread = true;
        std::lock_guard lock(mutex);
        seen[w].push_back(l);
        return LResult{0};
    };
    WindowThread window(dialog);
    std::vector<std::thread> senders;
    for (WParam s = 0; s < 4; ++s)
        senders.emplace_back([&, s] {
            for (LParam i = 0; i < 500; ++i)
                EXPECT_TRUE(dialog.PostMessage(kWmApp + 1, s, i));
        });
    for (auto& t : senders)
        t.join();
    ASSERT_TRUE(window.Idle());
    EXPECT_FALSE(offThread);
    std::lock_guard lock(mutex);
    ASSERT_EQ(seen.size(), 4u);
    for (auto& [sender, values] : seen) {
        ASSERT_EQ(values.size(), 500u) << sender;
        for (LParam i = 0; i < 500; ++i)
            ASSERT_EQ(values[static_cast<size_t>(i)], i);
    }
}

TEST(Messages, SendBlocksUntilTheWindowThreadHasHandledIt) {
    TestDialog dialog;
    std::atomic<bool> handled{false};
    dialog.onPrivate = [&](WParam w, LParam l) {
        EXPECT_EQ(std::this_thread::get_id(), dialog.windowThread);
        std::this_thread::sleep_for(20ms);
        handled = true;
        return static_cast<LResult>(w) + l;
    };
    WindowThread window(dialog);
    EXPECT_EQ(dialog.SendMessage(kWmApp + 1, 40, 2), 42);
    EXPECT_TRUE(handled);
}

TEST(Messages, SendFromTheWindowThreadItselfRunsTheHandlerDirectly) {
    TestDialog dialog;
    int depth = 0;
    dialog.onPrivate = [&](WParam w, LParam) {
        ++depth;
        // A handler sending to its own window: handled at once, nested.
        const LResult inner = w > 0 ? dialog.SendMessage(kWmApp + 1, w - 1) : 0;
        return inner + 1;
    };
    LResult result = 0;
    dialog.onInit = [&] {
        result = dialog.SendMessage(kWmApp + 1, 3);
        dialog.EndDialog(1);
    };
    EXPECT_EQ(dialog.DoModal(), 1);
    EXPECT_EQ(result, 4);
    EXPECT_EQ(depth, 4);
}

TEST(Messages, WindowsThatAreGoneRefusePostsAndAnswerSendsWithZero) {
    TestDialog dialog;
    EXPECT_FALSE(dialog.PostMessage(kWmApp + 1));  // not created yet
    EXPECT_EQ(dialog.SendMessage(kWmApp + 1), 0);
    {
        WindowThread window(dialog);
        user::CloseWindow(dialog);
        EXPECT_EQ(window.Result(), kIdCancel);
    }
    EXPECT_FALSE(dialog.PostMessage(kWmApp + 1));
    EXPECT_EQ(dialog.SendMessage(kWmApp + 1, 1, 1), 0);
}

TEST(Messages, APendingSendIsAnsweredWhenTheWindowEnds) {
    TestDialog dialog;
    std::thread sender;
    // The window ends without ever handling the sent message: the sender must not hang.
    // (Should the send come only after the end, it finds no window: also 0.)
    dialog.onButton = [&] {
        sender = std::thread([&] { EXPECT_EQ(dialog.SendMessage(kWmApp + 1), 0); });
        std::this_thread::sleep_for(20ms);
        dialog.EndDialog(3);
    };
    dialog.onPrivate = [](WParam, LParam) { return LResult{99}; };
    WindowThread window(dialog);
    user::RunOnWindowThread(dialog, [&] { user::Click(dialog, kButton); });
    EXPECT_EQ(window.Result(), 3);
    sender.join();
}

class TimerTest : public ::testing::Test {
  protected:
    void SetUp() override { SetClock(&clock_); }
    void TearDown() override { SetClock(nullptr); }
    TestClock clock_;
};

TEST_F(TimerTest, TimersFireOnTheTestClockWithoutSleeping) {
    TestDialog dialog;
    std::mutex mutex;
    std::vector<uint32_t> ticks;
    dialog.onInit = [&] {
        dialog.SetTimer(1, 1000);
        dialog.SetTimer(2, 3000);
    };
    dialog.onTimer = [&](uint32_t id) {
        EXPECT_EQ(std::this_thread::get_id(), dialog.windowThread);
        if (id == 1)
            dialog.KillTimer(1);  // runs once
        std::lock_guard lock(mutex);
        ticks.push_back(id);
    };
    WindowThread window(dialog);
    auto advance = [&](int ms) {
        clock_.Advance(std::chrono::milliseconds(ms));
        ASSERT_TRUE(window.Idle());
    };
    advance(999);
    {
        std::lock_guard lock(mutex);
        EXPECT_TRUE(ticks.empty());
    }
    advance(1);
    advance(1000);
    advance(1000);  // t = 3000
    advance(3000);  // t = 6000
    std::lock_guard lock(mutex);
    EXPECT_EQ(ticks, (std::vector<uint32_t>{1, 2, 2}));
}

TEST_F(TimerTest, SettingATimerAgainRestartsItAndTimersDieWithTheirWindow) {
    TestDialog dialog;
    std::atomic<int> ticks{0};
    dialog.onTimer = [&](uint32_t) { ++ticks; };
    WindowThread window(dialog);
    window.Do([&] { dialog.SetTimer(7, 2000); });
    clock_.Advance(1500ms);
    ASSERT_TRUE(window.Idle());
    window.Do([&] { dialog.SetTimer(7, 2000); });  // restart at t = 1500
    clock_.Advance(1000ms);
    ASSERT_TRUE(window.Idle());
    EXPECT_EQ(ticks, 0);
    clock_.Advance(1000ms);
    ASSERT_TRUE(window.Idle());
    EXPECT_EQ(ticks, 1);
    user::CloseWindow(dialog);
    EXPECT_EQ(window.Result(), kIdCancel);
    EXPECT_FALSE(dialog.SetTimer(7, 10));
}

TEST(WaitPump, AWindowThreadWaitingForAWorkerStillServesItsSynchronousHandOver) {
    // The close of a window whose worker is handing it a frame synchronously: the window
    // thread waits for the worker to end, the worker waits for the frame to be drawn.
    TestDialog dialog;
    std::atomic<bool> drawn{false};
    dialog.onPrivate = [&](WParam, LParam) {
        EXPECT_EQ(std::this_thread::get_id(), dialog.windowThread);
        drawn = true;
        return LResult{1};
    };
    std::atomic<bool> workerDone{false};
    std::thread worker;
    dialog.onButton = [&] {
        worker = std::thread([&] {
            EXPECT_EQ(dialog.SendMessage(kWmApp + 1), 1);
            workerDone = true;
        });
        const auto start = std::chrono::steady_clock::now();
        os::WaitWhilePumping(
            [&] { return workerDone.load() || std::chrono::steady_clock::now() - start > 5s; });
        dialog.EndDialog(workerDone ? 1 : 0);
    };
    WindowThread window(dialog);
    user::RunOnWindowThread(dialog, [&] { user::Click(dialog, kButton); });
    EXPECT_EQ(window.Result(std::chrono::seconds(6)), 1);
    worker.join();
    EXPECT_TRUE(drawn);
    // Outside a dialog's run the thread has no pump left behind.
    EXPECT_NO_THROW(os::RunWaitPump());
}

}  // namespace
}  // namespace talbex::ui::testing

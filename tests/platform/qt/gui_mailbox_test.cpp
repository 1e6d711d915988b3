// The GUI thread's mailbox: work posted from many threads at once always wakes the GUI
// thread's wait, however the posts fall against its reading of the wake-up counter.
#include "platform/qt/gui_mailbox.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <atomic>
#include <thread>
#include <vector>

namespace talbex::qt {
namespace {

TEST(GuiMailbox, EveryPostWakesTheWaitWhileOthersAreBeingRun) {
    GuiMailbox mailbox;
    constexpr int kThreads = 3, kPosts = 20000;
    std::atomic<int> ran{0};
    std::atomic<bool> lost{false};
    // The GUI thread's loop: sleeps on the counter, as Qt's loop does, and runs what came.
    std::thread gui([&] {
        while (ran.load() < kThreads * kPosts) {
            pollfd watched{mailbox.fd(), POLLIN, 0};
            if (::poll(&watched, 1, 2000) == 0) {
                lost = true;  // work is waiting and nothing woke us
                return;
            }
            mailbox.RunPending();
        }
    });
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t)
        posters.emplace_back([&] {
            for (int i = 0; i < kPosts && !lost; ++i) {
                mailbox.Post([&] { ++ran; });
                if (i % 64 == 0)
                    std::this_thread::yield();
            }
        });
    for (auto& poster : posters)
        poster.join();
    gui.join();
    EXPECT_FALSE(lost) << ran.load() << " of " << kThreads * kPosts << " ran";
    EXPECT_EQ(ran.load(), kThreads * kPosts);
}

}  // namespace
}  // namespace talbex::qt

// Runs a dialog modally on a thread of its own, as the program's window thread would,
// so a test can act from outside like a user or a worker.
#pragma once

#include <chrono>
#include <future>
#include <thread>

#include "platform/ui/dialog.h"
#include "platform/ui/user_input.h"

namespace talbex::ui::testing {

class WindowThread {
  public:
    explicit WindowThread(Dialog& dialog) : dialog_(dialog) {
        thread_ = std::thread([this] { result_.set_value(dialog_.DoModal()); });
        // Bounded wait for the loop to start.
        for (int i = 0; i < 2000 && !(dialog_.IsRunning() && dialog_.Handle() != 0); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        user::WaitUntilIdle(dialog_, std::chrono::seconds(2));
    }
    ~WindowThread() {
        if (thread_.joinable()) {
            user::CloseWindow(dialog_);
            thread_.join();
        }
    }

    /// Runs `action` on the window thread and waits until everything it caused is done.
    template <class F>
    void Do(F action) {
        user::RunOnWindowThread(dialog_, action);
        user::WaitUntilIdle(dialog_, std::chrono::seconds(2));
    }
    bool Idle() { return user::WaitUntilIdle(dialog_, std::chrono::seconds(2)); }

    /// Waits for the modal run to end (bounded) and answers its result, or -1.
    int Result(std::chrono::milliseconds timeout = std::chrono::seconds(2)) {
        auto future = result_.get_future();
        if (future.wait_for(timeout) != std::future_status::ready)
            return -1;
        thread_.join();
        return future.get();
    }

  private:
    Dialog& dialog_;
    std::promise<int> result_;
    std::thread thread_;
};

}  // namespace talbex::ui::testing

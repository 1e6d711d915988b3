// Helpers for the control tests: a window thread running a dialog, an action listener
// that records what reaches it, and a model to notify from.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "camera/action_event.h"
#include "platform/ui/dialog.h"
#include "platform/ui/user_input.h"

namespace talbex::controls::testing {

/// Records "command" or "command 0x50" (the 32-bit value the argument points to).
class RecordingListener : public camera::ActionListener {
  public:
    explicit RecordingListener(bool argIsCode = true) : argIsCode_(argIsCode) {}
    void actionPerformed(const camera::ActionEvent& event) override {
        std::string line = event.getActionCommand();
        if (event.getArg() != nullptr && argIsCode_) {
            char hex[16];
            std::snprintf(hex, sizeof hex, " 0x%X", *static_cast<const uint32_t*>(event.getArg()));
            line += hex;
        }
        std::lock_guard lock(mutex_);
        lines_.push_back(line);
        changed_.notify_all();
    }
    std::vector<std::string> Lines() const {
        std::lock_guard lock(mutex_);
        return lines_;
    }
    size_t Count(const std::string& line) const {
        std::lock_guard lock(mutex_);
        size_t n = 0;
        for (const auto& l : lines_)
            n += l == line;
        return n;
    }
    bool WaitFor(const std::string& line, size_t count,
                 std::chrono::milliseconds timeout = std::chrono::seconds(5)) const {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] {
            size_t n = 0;
            for (const auto& l : lines_)
                n += l == line;
            return n >= count;
        });
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        lines_.clear();
    }

  private:
    bool argIsCode_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<std::string> lines_;
};

/// Runs `dialog` modally on a thread of its own, like the program's window thread.
class WindowThread {
  public:
    explicit WindowThread(ui::Dialog& dialog) : dialog_(dialog) {
        thread_ = std::thread([this] { result_.set_value(dialog_.DoModal()); });
        for (int i = 0; i < 2000 && !(dialog_.IsRunning() && dialog_.Handle() != 0); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        Idle();
    }
    ~WindowThread() {
        if (thread_.joinable()) {
            ui::user::CloseWindow(dialog_);
            thread_.join();
        }
    }
    bool Idle() { return ui::user::WaitUntilIdle(dialog_, std::chrono::seconds(5)); }
    template <class F>
    void Do(F action) {
        ui::user::RunOnWindowThread(dialog_, action);
        Idle();
    }
    /// Waits for the run to end (bounded); the result, or -1.
    int Result(std::chrono::milliseconds timeout) {
        auto future = result_.get_future();
        if (future.wait_for(timeout) != std::future_status::ready)
            return -1;
        thread_.join();
        return future.get();
    }

  private:
    ui::Dialog& dialog_;
    std::promise<int> result_;
    std::thread thread_;
};

}  // namespace talbex::controls::testing

// An observer for tests: writes each model event as one line ("PropertyChanged 0x405",
// "error 0x2", "ProgressReport 50", "DeviceBusy") and lets a test wait for lines.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "camera/observable.h"

namespace talbex::testing {

class RecordingObserver : public camera::Observer {
  public:
    void update(camera::Observable* from, camera::ModelEvent* event) override;

    std::vector<std::string> Events() const;
    /// The lines that start with `prefix`.
    std::vector<std::string> Events(const std::string& prefix) const;
    void Clear();
    /// Waits up to `timeout` until `count` lines start with `prefix`.
    bool WaitFor(const std::string& prefix, size_t count = 1,
                 std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;
    /// Waits up to `timeout` until a line starting with `prefix` follows the `count`-th
    /// line starting with `after`: the event an action itself causes, where an earlier
    /// one of the same kind may come from elsewhere.
    bool WaitForAfter(const std::string& after, size_t count, const std::string& prefix,
                      std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;
    /// Runs on the notifying thread for every event, after it is recorded.
    void SetReaction(std::function<void(camera::ModelEvent*)> reaction);

  private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<std::string> events_;
    std::function<void(camera::ModelEvent*)> reaction_;
};

}  // namespace talbex::testing

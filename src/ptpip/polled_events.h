// Events a camera keeps for an initiator that fetches them with an operation of its own
// (Nikon's GetEvent) instead of reading them from its event connection. One queue per
// session; thread-safe. It is bounded: of an initiator that never asks, the oldest
// events are dropped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace talbex::ptpip {

class PolledEvents {
  public:
    struct Event {
        uint16_t code = 0;
        uint32_t param = 0;
    };
    static constexpr size_t kLimit = 256;

    void Push(uint16_t code, uint32_t param) {
        std::lock_guard lock(mutex_);
        if (events_.size() == kLimit)
            events_.pop_front();
        events_.push_back(Event{code, param});
    }

    /// Every event kept, oldest first; the queue is empty afterwards.
    std::vector<Event> TakeAll() {
        std::lock_guard lock(mutex_);
        std::vector<Event> all(events_.begin(), events_.end());
        events_.clear();
        return all;
    }

  private:
    std::mutex mutex_;
    std::deque<Event> events_;
};

}  // namespace talbex::ptpip

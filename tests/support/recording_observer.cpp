#include "recording_observer.h"

#include "camera/evf_data_set.h"
#include "scripted_sdk.h"

namespace talbex::testing {

void RecordingObserver::update(camera::Observable*, camera::ModelEvent* event) {
    std::string line = event->type;
    const void* arg = event->arg;
    if (arg != nullptr) {
        if (event->type == "EvfDataChanged") {
            auto* data = static_cast<const camera::EvfDataSet*>(arg);
            line += " zoom=" + std::to_string(data->zoom);
        } else if (event->type == "ProgressReport" || event->type == "DownloadComplete") {
            line += " " + std::to_string(*static_cast<const uint32_t*>(arg));
        } else {
            line += " " + Hex(*static_cast<const uint32_t*>(arg));
        }
    }
    std::function<void(camera::ModelEvent*)> reaction;
    {
        std::lock_guard lock(mutex_);
        events_.push_back(line);
        reaction = reaction_;
    }
    changed_.notify_all();
    if (reaction)
        reaction(event);
}

std::vector<std::string> RecordingObserver::Events() const {
    std::lock_guard lock(mutex_);
    return events_;
}

std::vector<std::string> RecordingObserver::Events(const std::string& prefix) const {
    std::vector<std::string> matching;
    std::lock_guard lock(mutex_);
    for (const auto& line : events_) {
        if (line.rfind(prefix, 0) == 0)
            matching.push_back(line);
    }
    return matching;
}

void RecordingObserver::Clear() {
    std::lock_guard lock(mutex_);
    events_.clear();
}

bool RecordingObserver::WaitFor(const std::string& prefix, size_t count,
                                std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] {
        size_t n = 0;
        for (const auto& line : events_)
            n += line.rfind(prefix, 0) == 0 ? 1 : 0;
        return n >= count;
    });
}

bool RecordingObserver::WaitForAfter(const std::string& after, size_t count,
                                     const std::string& prefix,
                                     std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] {
        size_t seen = 0;
        for (const auto& line : events_) {
            if (seen >= count && line.rfind(prefix, 0) == 0)
                return true;
            seen += line.rfind(after, 0) == 0 ? 1 : 0;
        }
        return false;
    });
}

void RecordingObserver::SetReaction(std::function<void(camera::ModelEvent*)> reaction) {
    std::lock_guard lock(mutex_);
    reaction_ = std::move(reaction);
}

}  // namespace talbex::testing

#include "platform/ui/message_queue.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "platform/ui/clock.h"
#include "platform/ui/window.h"

namespace talbex::ui {

void SendReply::Complete(LResult value) {
    std::lock_guard lock(mutex);
    result = value;
    done = true;
    done_cv.notify_all();
}

namespace {

thread_local std::shared_ptr<MessageQueue> tQueue;

std::mutex gQueuesMutex;
std::vector<std::weak_ptr<MessageQueue>> gQueues;

struct Entry {
    Window* object = nullptr;
    std::shared_ptr<MessageQueue> queue;
};

std::mutex gWindowsMutex;
std::unordered_map<WindowHandle, Entry> gWindows;
WindowHandle gNextHandle = 1;

}  // namespace

MessageQueue::MessageQueue()
    : owner_(std::this_thread::get_id()), ownerSignal_(os::ThisThreadWaitSignal()) {}

MessageQueue::~MessageQueue() {
    // Nobody may stay blocked on a queue that no longer runs.
    for (Message& m : sent_)
        if (m.reply)
            m.reply->Complete(0);
}

std::shared_ptr<MessageQueue> MessageQueue::ForCurrentThread() {
    if (!tQueue) {
        tQueue = std::make_shared<MessageQueue>();
        std::lock_guard lock(gQueuesMutex);
        std::erase_if(gQueues, [](const std::weak_ptr<MessageQueue>& q) { return q.expired(); });
        gQueues.push_back(tQueue);
    }
    return tQueue;
}

MessageQueue* MessageQueue::OfCurrentThread() {
    return tQueue.get();
}

void MessageQueue::WakeAll() {
    std::vector<std::shared_ptr<MessageQueue>> queues;
    {
        std::lock_guard lock(gQueuesMutex);
        for (auto& weak : gQueues)
            if (auto queue = weak.lock())
                queues.push_back(std::move(queue));
    }
    for (auto& queue : queues)
        queue->Wake();
}

void MessageQueue::Enqueue(Message message) {
    const bool sent = message.reply != nullptr;
    std::shared_ptr<QueueWait> wait;
    {
        std::lock_guard lock(mutex_);
        if (sent)
            sent_.push_back(std::move(message));
        else
            posted_.push_back(std::move(message));
        idle_ = false;
        work_cv_.notify_all();
        wait = wait_;
    }
    if (sent)
        ownerSignal_->Notify();
    if (wait)
        wait->Wake();
}

void MessageQueue::Wake() {
    std::shared_ptr<QueueWait> wait;
    {
        std::lock_guard lock(mutex_);
        idle_ = false;
        work_cv_.notify_all();
        wait = wait_;
    }
    if (wait)
        wait->Wake();
}

void MessageQueue::SetWait(std::shared_ptr<QueueWait> wait) {
    std::lock_guard lock(mutex_);
    wait_ = std::move(wait);
}

void MessageQueue::Deliver(Message& message) {
    LResult result = 0;
    if (Window* object = windows::Lookup(message.target)) {
        if (message.task)
            message.task();
        else
            result = object->WindowProc(message.id, message.wparam, message.lparam);
    }
    if (message.reply)
        message.reply->Complete(result);
}

bool MessageQueue::RunOnce(const std::function<bool()>& stop) {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (stop())
            return false;
        Message message;
        if (!sent_.empty()) {
            message = std::move(sent_.front());
            sent_.pop_front();
        } else if (!posted_.empty()) {
            message = std::move(posted_.front());
            posted_.pop_front();
        } else {
            const auto now = CurrentClock().Now();
            auto next = timers_.end();
            for (auto it = timers_.begin(); it != timers_.end(); ++it)
                if (next == timers_.end() || it->second.due < next->second.due)
                    next = it;
            if (next != timers_.end() && next->second.due <= now) {
                next->second.due = now + std::chrono::milliseconds(next->second.period);
                message.target = next->first.first;
                message.id = kWmTimer;
                message.wparam = next->first.second;
            } else {
                idle_ = true;
                idle_cv_.notify_all();
                QueueWait::Deadline deadline;
                if (next != timers_.end() && !CurrentClock().IsManual())
                    deadline = std::chrono::steady_clock::now() + (next->second.due - now);
                if (wait_) {
                    // The backend's loop runs meanwhile; handlers may queue work from it.
                    std::shared_ptr<QueueWait> wait = wait_;
                    lock.unlock();
                    wait->Wait(deadline);
                    lock.lock();
                } else if (deadline) {
                    work_cv_.wait_until(lock, *deadline);
                } else {
                    work_cv_.wait(lock);
                }
                idle_ = false;
                continue;
            }
        }
        lock.unlock();
        Deliver(message);
        return true;
    }
}

void MessageQueue::ServeSentMessages() {
    for (;;) {
        Message message;
        {
            std::lock_guard lock(mutex_);
            if (sent_.empty())
                return;
            message = std::move(sent_.front());
            sent_.pop_front();
        }
        Deliver(message);
    }
}

void MessageQueue::SetTimer(WindowHandle window, uint32_t id, uint32_t periodMs) {
    {
        std::lock_guard lock(mutex_);
        const uint32_t period = std::max<uint32_t>(periodMs, 1);
        timers_[{window, id}] =
            Timer{period, CurrentClock().Now() + std::chrono::milliseconds(period)};
    }
    Wake();  // a wait under way takes the new deadline into account
}

bool MessageQueue::KillTimer(WindowHandle window, uint32_t id) {
    std::lock_guard lock(mutex_);
    return timers_.erase({window, id}) > 0;
}

void MessageQueue::Forget(WindowHandle window) {
    std::vector<std::shared_ptr<SendReply>> replies;
    {
        std::lock_guard lock(mutex_);
        std::erase_if(posted_, [&](const Message& m) { return m.target == window; });
        for (auto it = sent_.begin(); it != sent_.end();) {
            if (it->target == window) {
                replies.push_back(std::move(it->reply));
                it = sent_.erase(it);
            } else {
                ++it;
            }
        }
        std::erase_if(timers_, [&](const auto& t) { return t.first.first == window; });
    }
    for (auto& reply : replies)
        reply->Complete(0);
}

bool MessageQueue::WaitUntilIdle(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return idle_cv_.wait_for(lock, timeout,
                             [&] { return idle_ && sent_.empty() && posted_.empty(); });
}

namespace windows {

WindowHandle Register(Window* object, std::shared_ptr<MessageQueue> queue) {
    std::lock_guard lock(gWindowsMutex);
    const WindowHandle handle = gNextHandle++;
    gWindows[handle] = Entry{object, std::move(queue)};
    return handle;
}

void Rebind(WindowHandle handle, Window* object) {
    std::lock_guard lock(gWindowsMutex);
    auto it = gWindows.find(handle);
    if (it != gWindows.end())
        it->second.object = object;
}

void Unregister(WindowHandle handle) {
    std::shared_ptr<MessageQueue> queue;
    {
        std::lock_guard lock(gWindowsMutex);
        auto it = gWindows.find(handle);
        if (it == gWindows.end())
            return;
        queue = std::move(it->second.queue);
        gWindows.erase(it);
    }
    // Nothing can be queued for the handle any more (queuing happens under the table's
    // lock), so this catches every message still waiting for it.
    queue->Forget(handle);
}

Window* Lookup(WindowHandle handle) {
    std::lock_guard lock(gWindowsMutex);
    auto it = gWindows.find(handle);
    return it == gWindows.end() ? nullptr : it->second.object;
}

std::shared_ptr<MessageQueue> QueueOf(WindowHandle handle) {
    std::lock_guard lock(gWindowsMutex);
    auto it = gWindows.find(handle);
    return it == gWindows.end() ? nullptr : it->second.queue;
}

namespace {
bool EnqueueFor(WindowHandle handle, Message message) {
    std::lock_guard lock(gWindowsMutex);
    auto it = gWindows.find(handle);
    if (it == gWindows.end())
        return false;
    message.target = handle;
    it->second.queue->Enqueue(std::move(message));
    return true;
}
}  // namespace

bool Post(WindowHandle handle, MessageId id, WParam wparam, LParam lparam) {
    Message message;
    message.id = id;
    message.wparam = wparam;
    message.lparam = lparam;
    return EnqueueFor(handle, std::move(message));
}

bool PostTask(WindowHandle handle, std::function<void()> task) {
    Message message;
    message.task = std::move(task);
    return EnqueueFor(handle, std::move(message));
}

LResult Send(WindowHandle handle, MessageId id, WParam wparam, LParam lparam) {
    std::shared_ptr<MessageQueue> queue = QueueOf(handle);
    if (!queue)
        return 0;
    if (queue->IsOwnerThread()) {
        Window* object = Lookup(handle);
        return object ? object->WindowProc(id, wparam, lparam) : 0;
    }
    auto reply = std::make_shared<SendReply>();
    Message message;
    message.id = id;
    message.wparam = wparam;
    message.lparam = lparam;
    message.reply = reply;
    if (!EnqueueFor(handle, std::move(message)))
        return 0;
    MessageQueue* own = MessageQueue::OfCurrentThread();
    std::unique_lock lock(reply->mutex);
    while (!reply->done) {
        if (own == nullptr) {
            reply->done_cv.wait(lock);
            continue;
        }
        // A window thread that sends to another keeps answering what is sent to it, so
        // two window threads sending to each other cannot block for good.
        lock.unlock();
        own->ServeSentMessages();
        lock.lock();
        reply->done_cv.wait_for(lock, std::chrono::milliseconds(1));
    }
    return reply->result;
}

}  // namespace windows

}  // namespace talbex::ui

// One message queue per window thread, and the table of window handles that routes
// posted and sent messages to it.
//
// Threads: Post, Send, Wake and WaitUntilIdle may be called from any thread; RunOnce,
// ServeSentMessages and the timer calls only on the queue's own (window) thread, which
// is also the only thread that runs handlers.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/os/wait_pump.h"
#include "platform/ui/messages.h"
#include "platform/ui/queue_wait.h"

namespace talbex::ui {

class Window;
using WindowHandle = uint64_t;  // 0: no window

/// The answer to a sent message; the sender waits on it.
struct SendReply {
    std::mutex mutex;
    std::condition_variable done_cv;
    bool done = false;
    LResult result = 0;
    void Complete(LResult value);
};

struct Message {
    WindowHandle target = 0;
    MessageId id = 0;
    WParam wparam = 0;
    LParam lparam = 0;
    std::shared_ptr<SendReply> reply;  // set for sent messages
    std::function<void()> task;        // framework work to run on the window thread
};

class MessageQueue {
  public:
    MessageQueue();
    ~MessageQueue();
    MessageQueue(const MessageQueue&) = delete;
    MessageQueue& operator=(const MessageQueue&) = delete;

    /// The calling thread's queue, made on first use.
    static std::shared_ptr<MessageQueue> ForCurrentThread();
    /// The calling thread's queue if it has one.
    static MessageQueue* OfCurrentThread();
    /// Makes every queue look at its timers again (the test clock moved).
    static void WakeAll();

    bool IsOwnerThread() const { return std::this_thread::get_id() == owner_; }

    void Enqueue(Message message);
    void Wake();

    /// Window thread: waits for one piece of work and does it: sent messages first, then
    /// posted ones, then one timer that has fallen due. Answers false, doing nothing, as
    /// soon as `stop()` is true; it is checked before every wait and after every wake-up.
    bool RunOnce(const std::function<bool()>& stop);
    /// Window thread: handles every sent message waiting now (and only those).
    void ServeSentMessages();
    /// Window thread: waits with `wait` from now on (nullptr: the queue's own sleep).
    void SetWait(std::shared_ptr<QueueWait> wait);

    void SetTimer(WindowHandle window, uint32_t id, uint32_t periodMs);
    bool KillTimer(WindowHandle window, uint32_t id);
    /// Drops the window's posted messages and timers; its pending sent messages are
    /// answered with 0 so no sender stays blocked.
    void Forget(WindowHandle window);

    /// Other threads: blocks until the window thread waits for work with nothing queued;
    /// false after `timeout`.
    bool WaitUntilIdle(std::chrono::milliseconds timeout);

  private:
    struct Timer {
        uint32_t period = 0;
        std::chrono::milliseconds due{0};
    };
    static void Deliver(Message& message);

    const std::thread::id owner_;
    // Woken when a message is sent, so an owner waiting for a worker serves it at once.
    const std::shared_ptr<os::WaitSignal> ownerSignal_;
    std::shared_ptr<QueueWait> wait_;  // owner thread only
    std::mutex mutex_;
    std::condition_variable work_cv_;
    std::condition_variable idle_cv_;
    std::deque<Message> sent_;
    std::deque<Message> posted_;
    std::map<std::pair<WindowHandle, uint32_t>, Timer> timers_;
    bool idle_ = false;
};

/// The table of live windows. A handle stays valid until its window is destroyed; posting
/// to a handle that is gone fails quietly, like posting to a closed window.
namespace windows {
WindowHandle Register(Window* object, std::shared_ptr<MessageQueue> queue);
/// Routes the handle's messages to another object (a control object bound to a control).
void Rebind(WindowHandle handle, Window* object);
/// Removes the handle and makes its queue forget it.
void Unregister(WindowHandle handle);
/// Window thread only: the object behind a handle, or nullptr.
Window* Lookup(WindowHandle handle);
bool Post(WindowHandle handle, MessageId id, WParam wparam, LParam lparam);
/// Runs `task` on the window's thread (posted); false when the window is gone.
bool PostTask(WindowHandle handle, std::function<void()> task);
/// Handled directly when called on the window's own thread; otherwise blocks until the
/// window thread has handled it, serving messages sent to the caller's own window thread
/// meanwhile. Answers 0 when the window is gone or is destroyed before handling it.
LResult Send(WindowHandle handle, MessageId id, WParam wparam, LParam lparam);
/// The queue serving the handle, or nullptr.
std::shared_ptr<MessageQueue> QueueOf(WindowHandle handle);
}  // namespace windows

}  // namespace talbex::ui

// The worker that runs every camera command, one at a time, in queue order.
//
// Who touches what: any thread may `enqueue` and `stop` (window thread, SDK event
// thread, the worker itself); only the worker takes and runs commands. One lock guards
// the queue, the running flag and the final command. Commands are owned by the queue
// and deleted after they finish or when they are dropped.
#pragma once

#include <atomic>
#include <chrono>
#include <deque>
#include <memory>

#include "camera/command.h"
#include "camera/synchronized.h"
#include "camera/thread.h"

namespace talbex::camera {

class Processor : public Thread {
  public:
    /// How an idle worker notices new work: woken at once by `enqueue`, or by looking
    /// every 10 ms while holding the lock (the older way, kept for comparison).
    enum class PickUp { kSignal, kPoll10ms };

    struct Options {
        PickUp pickUp = PickUp::kSignal;
        /// Pause before a command that asked to run again is queued again; a command may
        /// ask for a shorter one.
        std::chrono::milliseconds retryPause{500};
    };

    Processor() : Processor(Options{}) {}
    explicit Processor(Options options);
    ~Processor() override;

    /// Marks the processor running and starts the worker. Running is set here rather
    /// than on the worker, so a `stop` that comes right after is never lost.
    void start();
    void run() override;

    /// Appends a command (null is ignored) and wakes the worker.
    void enqueue(Command* command);
    void enqueue(std::unique_ptr<Command> command) { enqueue(command.release()); }
    /// The first queued command, or null when stopped (waits while the queue is empty).
    std::unique_ptr<Command> take();
    /// Ends the worker after the command in hand; queued commands are then dropped, except
    /// those that bring a picture, which run once more.
    void stop();
    /// The command run once after the worker loop ends (the session close); owned.
    void setCloseCommand(Command* command);
    /// Deletes every queued command unexecuted.
    void clear();

    bool isRunning();
    /// True while the worker runs a command that brings a picture in. Any thread.
    bool bringingPicture() const { return bringingPicture_.load(); }

  private:
    bool execute(Command& command);
    void pause(std::chrono::milliseconds duration);
    /// After the loop: runs each queued picture command once and drops the rest.
    void bringInQueuedPictures();

    Options options_;
    Synchronized sync_;
    bool running_ = false;                   // guarded by sync_
    std::deque<Command*> queue_;             // guarded by sync_; owned
    std::unique_ptr<Command> closeCommand_;  // guarded by sync_
    std::atomic<bool> bringingPicture_{false};
};

}  // namespace talbex::camera

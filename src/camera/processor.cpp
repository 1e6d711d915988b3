#include "camera/processor.h"

#include <algorithm>
#include <thread>

namespace talbex::camera {

Processor::Processor(Options options) : options_(options) {}

Processor::~Processor() {
    stop();
    join();
    clear();
}

void Processor::start() {
    sync_.lock();
    running_ = true;
    sync_.unlock();
    Thread::start();
}

bool Processor::isRunning() {
    sync_.lock();
    bool running = running_;
    sync_.unlock();
    return running;
}

void Processor::pause(std::chrono::milliseconds duration) {
    if (duration.count() <= 0)
        return;
    // The retry pause ends early only when the processor stops; the command is dropped then.
    auto until = std::chrono::steady_clock::now() + duration;
    sync_.lock();
    while (running_) {
        auto now = std::chrono::steady_clock::now();
        if (now >= until)
            break;
        sync_.waitForSignal(std::chrono::duration_cast<std::chrono::microseconds>(until - now));
    }
    sync_.unlock();
}

void Processor::run() {
    while (isRunning()) {
        if (options_.pickUp == PickUp::kPoll10ms)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::unique_ptr<Command> command = take();
        if (!command)
            continue;
        if (execute(*command))
            continue;
        // A command may ask for a shorter pause (a live-view frame not ready yet), never a
        // longer one.
        pause(
            std::min(options_.retryPause, command->takeRetryPause().value_or(options_.retryPause)));
        enqueue(std::move(command));
    }
    bringInQueuedPictures();
    sync_.lock();
    std::unique_ptr<Command> last = std::move(closeCommand_);
    sync_.unlock();
    if (last)
        last->execute();
}

void Processor::enqueue(Command* command) {
    if (command == nullptr)
        return;
    sync_.lock();
    queue_.push_back(command);
    sync_.signal();
    sync_.unlock();
}

std::unique_ptr<Command> Processor::take() {
    sync_.lock();
    while (queue_.empty()) {
        if (!running_) {
            sync_.unlock();
            return nullptr;
        }
        if (options_.pickUp == PickUp::kPoll10ms)
            sync_.wait(10);
        else
            sync_.waitForSignal(std::chrono::milliseconds(10));
    }
    std::unique_ptr<Command> command;
    if (running_) {
        command.reset(queue_.front());
        queue_.pop_front();
    }
    sync_.unlock();
    return command;
}

void Processor::stop() {
    sync_.lock();
    running_ = false;
    sync_.signal();
    sync_.unlock();
}

void Processor::setCloseCommand(Command* command) {
    sync_.lock();
    closeCommand_.reset(command);
    sync_.unlock();
}

void Processor::bringInQueuedPictures() {
    std::deque<Command*> queued;
    sync_.lock();
    queued.swap(queue_);
    sync_.unlock();
    for (Command* command : queued) {
        std::unique_ptr<Command> owned(command);
        if (owned->bringsPicture())
            execute(*owned);
    }
}

bool Processor::execute(Command& command) {
    bringingPicture_ = command.bringsPicture();
    const bool finished = command.execute();
    bringingPicture_ = false;
    return finished;
}

void Processor::clear() {
    std::deque<Command*> dropped;
    sync_.lock();
    dropped.swap(queue_);
    sync_.unlock();
    // Deleted outside the lock: a dropped transfer releases its SDK reference.
    for (Command* command : dropped)
        delete command;
}

}  // namespace talbex::camera

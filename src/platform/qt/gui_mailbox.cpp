#include "platform/qt/gui_mailbox.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>

namespace talbex::qt {

GuiMailbox::GuiMailbox() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (fd_ < 0)
        throw std::runtime_error("cannot make the GUI thread's wake-up counter");
}

GuiMailbox::~GuiMailbox() {
    close(fd_);
}

void GuiMailbox::Post(std::function<void()> task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    Wake();
}

void GuiMailbox::Wake() {
    if (armed_.exchange(true))
        return;
    const uint64_t one = 1;
    // Can only fail when the counter is about to overflow, which is a wake-up too.
    [[maybe_unused]] const ssize_t written = write(fd_, &one, sizeof one);
}

void GuiMailbox::RunPending() {
    // The counter is read before disarming: disarming first would let a wake-up's write
    // land between the two and be read here, leaving the mailbox armed with nothing to
    // read, and every later wake-up skipped. A wake-up that finds it still armed here
    // has its work taken below, or by the queue's look after this wait.
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t read_ = read(fd_, &count, sizeof count);
    armed_.store(false);
    std::vector<std::function<void()>> tasks;
    {
        std::lock_guard lock(mutex_);
        tasks.swap(tasks_);
    }
    for (auto& task : tasks)
        task();
}

}  // namespace talbex::qt

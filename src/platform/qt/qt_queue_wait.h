// The window thread's wait on Qt's event loop: while the framework's message queue has
// nothing to do, Qt runs (input, painting, the mailbox of work from other threads), and
// the wait ends as soon as a message is queued (the mailbox's wake-up) or the next window
// timer falls due (a precise Qt timer). Nothing is looked at again and again.
#pragma once

#include <functional>
#include <memory>

#include "platform/qt/gui_mailbox.h"
#include "platform/ui/queue_wait.h"

namespace talbex::qt {

class QtQueueWait final : public ui::QueueWait {
  public:
    /// `beforeWait` runs on the GUI thread before each wait (windows waiting to be shown).
    QtQueueWait(std::shared_ptr<GuiMailbox> mailbox, std::function<void()> beforeWait);

    void Wait(Deadline deadline) override;
    void Wake() override;

  private:
    std::shared_ptr<GuiMailbox> mailbox_;
    std::function<void()> beforeWait_;
};

}  // namespace talbex::qt

#include "platform/qt/qt_queue_wait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>

namespace talbex::qt {

QtQueueWait::QtQueueWait(std::shared_ptr<GuiMailbox> mailbox, std::function<void()> beforeWait)
    : mailbox_(std::move(mailbox)), beforeWait_(std::move(beforeWait)) {}

void QtQueueWait::Wait(Deadline deadline) {
    if (beforeWait_)
        beforeWait_();
    // One timer per wait: a wait nested in a handler run from here has its own.
    QTimer due;
    if (deadline) {
        using namespace std::chrono;
        const auto left = ceil<milliseconds>(*deadline - steady_clock::now());
        if (left.count() <= 0)
            return;
        due.setSingleShot(true);
        due.setTimerType(Qt::PreciseTimer);
        due.start(static_cast<int>(std::min<milliseconds::rep>(left.count(), 24L * 3600 * 1000)));
    }
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void QtQueueWait::Wake() {
    mailbox_->Wake();
}

}  // namespace talbex::qt

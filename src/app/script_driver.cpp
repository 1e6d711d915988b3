#include "app/script_driver.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "platform/ui/dialog.h"
#include "platform/ui/message_queue.h"
#include "platform/ui/user_input.h"

namespace talbex::app {

namespace {

using Clock = std::chrono::steady_clock;
using Kind = ScriptCommand::Kind;

const char* Verb(Kind kind) {
    switch (kind) {
        case Kind::kClick:
            return "click";
        case Kind::kDoubleClick:
            return "doubleclick";
        case Kind::kKey:
            return "key";
        case Kind::kPickRow:
        case Kind::kPickLabel:
            return "pick";
        case Kind::kType:
            return "type";
        case Kind::kClose:
            return "close";
        default:
            return "?";
    }
}

// The command on the window behind `handle`; window thread. False when it is gone or the
// command is refused.
bool Perform(ui::WindowHandle handle, const ScriptCommand& command) {
    auto* dialog = dynamic_cast<ui::Dialog*>(ui::windows::Lookup(handle));
    if (dialog == nullptr)
        return false;
    switch (command.kind) {
        case Kind::kClick:
            return ui::user::Click(*dialog, command.controlId);
        case Kind::kDoubleClick:
            return ui::user::DoubleClick(*dialog, command.controlId);
        case Kind::kKey:
            return ui::user::PressKey(*dialog, command.key);
        case Kind::kPickRow:
            return ui::user::PickRow(*dialog, command.controlId, command.row);
        case Kind::kPickLabel:
            return ui::user::PickRow(*dialog, command.controlId, command.text);
        case Kind::kType:
            return ui::user::TypeText(*dialog, command.controlId, command.text);
        case Kind::kClose:
            return ui::user::CloseWindow(*dialog);
        default:
            return false;
    }
}

// The moment a script's SECONDS (fractions allowed) from now ends.
Clock::time_point SecondsFromNow(double seconds) {
    return Clock::now() +
           std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

// Waits until the window's thread has nothing left to do, the window is gone or
// `deadline` has passed; true only in the first case.
bool WaitUntilIdle(ui::WindowHandle handle, Clock::time_point deadline) {
    while (std::shared_ptr<ui::MessageQueue> queue = ui::windows::QueueOf(handle)) {
        if (queue->WaitUntilIdle(std::chrono::milliseconds(10)))
            return ui::windows::QueueOf(handle) != nullptr;
        if (Clock::now() >= deadline)
            return false;
    }
    return false;
}

}  // namespace

ScriptDriver::ScriptDriver(ui::HeadlessPrompts& prompts, std::ostream& out,
                           std::function<void()> quit, std::function<bool()> finished,
                           std::chrono::milliseconds windowWait)
    : prompts_(prompts),
      out_(out),
      quit_(std::move(quit)),
      finished_(std::move(finished)),
      windowWait_(windowWait) {}

bool ScriptDriver::Run(const Script& script) {
    for (const ScriptCommand& command : script.commands) {
        if (finished_())
            return false;
        switch (command.kind) {
            case Kind::kWait:
                Wait(command.seconds);
                break;
            case Kind::kAwait:
                if (!Await(command) && !finished_())
                    out_ << "script line " << command.line << ": await " << command.controlId
                         << " gave up after " << command.seconds << " s" << std::endl;
                break;
            case Kind::kAnswer:
                prompts_.AddRule(command.text, command.answer);
                break;
            case Kind::kFolder:
                prompts_.QueueFolder(command.text);
                break;
            case Kind::kQuit:
                quit_();
                return true;
            default:
                if (Act(command))
                    break;
                out_ << "script line " << command.line << ": " << Verb(command.kind);
                if (command.kind == Kind::kClose)
                    out_ << " had no effect (no window)" << std::endl;
                else if (command.kind == Kind::kKey)
                    out_ << ' ' << ui::KeyName(command.key)
                         << " had no effect (no such key, its button disabled, or no window)"
                         << std::endl;
                else
                    out_ << ' ' << command.controlId << " had no effect (no such control, "
                         << "hidden, disabled, or no window)" << std::endl;
                break;
        }
    }
    return true;
}

void ScriptDriver::Wait(double seconds) {
    const auto end = SecondsFromNow(seconds);
    while (!finished_() && Clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

bool ScriptDriver::Await(const ScriptCommand& command) {
    const auto end = SecondsFromNow(command.seconds);
    while (!finished_()) {
        // The control is looked at on its window's thread, which owns it.
        const ui::WindowHandle handle = ui::TopmostModalHandle();
        auto usable = std::make_shared<std::atomic<int>>(-1);
        if (handle != 0 && ui::windows::PostTask(handle, [handle, id = command.controlId, usable] {
                auto* dialog = dynamic_cast<ui::Dialog*>(ui::windows::Lookup(handle));
                *usable = dialog != nullptr && ui::user::CanUse(*dialog, id);
            })) {
            while (*usable < 0 && !finished_() && Clock::now() < end &&
                   ui::windows::QueueOf(handle) != nullptr)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        if (*usable == 1)
            return true;
        if (Clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

bool ScriptDriver::Act(const ScriptCommand& command) {
    const auto windowDeadline = Clock::now() + windowWait_;
    // Until the action has been taken by a window: a window that ends before it could
    // take it gives way to the one on top then.
    while (!finished_()) {
        const ui::WindowHandle handle = ui::TopmostModalHandle();
        if (handle == 0) {
            if (Clock::now() >= windowDeadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        // Whatever the window is busy with finishes first, as it would for a person.
        const auto actionDeadline = Clock::now() + windowWait_;
        WaitUntilIdle(handle, actionDeadline);
        enum State { kQueued, kRunning, kRefused, kDone };
        auto state = std::make_shared<std::atomic<State>>(kQueued);
        if (!ui::windows::PostTask(handle, [handle, command, state] {
                *state = kRunning;
                *state = Perform(handle, command) ? kDone : kRefused;
            }))
            continue;  // gone meanwhile
        // The action may open a nested window that runs until later commands close it:
        // wait only until the action has started its work or finished.
        while (*state < kRefused && !finished_() && Clock::now() < actionDeadline) {
            if (*state == kQueued && ui::windows::QueueOf(handle) == nullptr)
                break;  // the window ended before it took the action
            if (*state == kRunning && ui::TopmostModalHandle() != handle)
                return true;  // a window opened by the action is now the topmost
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        if (*state != kQueued)
            return *state != kRefused;
        if (ui::windows::QueueOf(handle) != nullptr || Clock::now() >= windowDeadline)
            return false;  // taken too long, or no window left in time
    }
    return false;
}

}  // namespace talbex::app

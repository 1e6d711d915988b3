#include "app/script_driver.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "platform/ui/dialog.h"
#include "platform/ui/user_input.h"

namespace talbex::app {

namespace {

constexpr auto kActionTimeout = std::chrono::seconds(10);

const char* Verb(ScriptCommand::Kind kind) {
    using Kind = ScriptCommand::Kind;
    switch (kind) {
        case Kind::kClick:
            return "click";
        case Kind::kPickRow:
        case Kind::kPickLabel:
            return "pick";
        case Kind::kType:
            return "type";
        default:
            return "?";
    }
}

}  // namespace

ScriptDriver::ScriptDriver(ui::HeadlessPrompts& prompts, std::ostream& out,
                           std::function<void()> quit, std::function<bool()> finished)
    : prompts_(prompts), out_(out), quit_(std::move(quit)), finished_(std::move(finished)) {}

bool ScriptDriver::Run(const Script& script) {
    using Kind = ScriptCommand::Kind;
    for (const ScriptCommand& command : script.commands) {
        if (finished_())
            return false;
        switch (command.kind) {
            case Kind::kWait:
                Wait(command.seconds);
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
                if (!Act(command))
                    out_ << "script line " << command.line << ": " << Verb(command.kind) << ' '
                         << command.controlId << " had no effect (no such control, hidden, "
                         << "disabled, or no window)" << std::endl;
                break;
        }
    }
    return true;
}

void ScriptDriver::Wait(double seconds) {
    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                         std::chrono::duration<double>(seconds));
    while (!finished_() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

bool ScriptDriver::Act(const ScriptCommand& command) {
    using Kind = ScriptCommand::Kind;
    ui::Dialog* dialog = ui::TopmostModal();
    if (dialog == nullptr)
        return false;
    // Whatever the window is busy with finishes first, as it would for a person.
    ui::user::WaitUntilIdle(*dialog, kActionTimeout);
    auto done = std::make_shared<std::atomic<int>>(-1);  // -1 not run, 0 refused, 1 done
    const bool queued = ui::user::RunOnWindowThread(*dialog, [dialog, command, done] {
        bool ok = false;
        switch (command.kind) {
            case Kind::kClick:
                ok = ui::user::Click(*dialog, command.controlId);
                break;
            case Kind::kPickRow:
                ok = ui::user::PickRow(*dialog, command.controlId, command.row);
                break;
            case Kind::kPickLabel:
                ok = ui::user::PickRow(*dialog, command.controlId, command.text);
                break;
            case Kind::kType:
                ok = ui::user::TypeText(*dialog, command.controlId, command.text);
                break;
            default:
                break;
        }
        *done = ok ? 1 : 0;
    });
    if (!queued)
        return false;
    // The action may open a nested window that runs until later commands close it: wait
    // only until the action has started its work or finished.
    const auto deadline = std::chrono::steady_clock::now() + kActionTimeout;
    while (*done < 0 && !finished_() && std::chrono::steady_clock::now() < deadline) {
        if (ui::TopmostModal() != dialog)
            return true;  // a window opened by the action is now the topmost
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return *done != 0;
}

}  // namespace talbex::app

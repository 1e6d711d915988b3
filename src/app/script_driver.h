// Runs a script (script.h) against the windows of a running program, from a thread of
// its own: every action goes to the topmost window's thread and is waited for, as a
// person's clicks would be handled there. Each action first waits, within a bound, for a
// window to act on (the program's first window, a window rebuilt, the first window of a
// dialog) and for that window to finish what it is busy with. Windows are only reached
// through their handles, so a window that ends meanwhile is never touched. Answers and
// folders go to the headless prompts. Each refused action (a control missing, hidden,
// disabled or of the wrong kind, or no window at all) is reported on `out` and the
// script goes on.
#pragma once

#include <chrono>
#include <functional>
#include <ostream>

#include "app/script.h"
#include "platform/ui/headless_prompts.h"

namespace talbex::app {

class ScriptDriver {
  public:
    /// `quit` ends the program; `finished` answers true once the program has ended (the
    /// driver then stops waiting and acting). An action waits at most `windowWait` for a
    /// window to act on, and as long again for it to be ready and to take the action.
    ScriptDriver(ui::HeadlessPrompts& prompts, std::ostream& out, std::function<void()> quit,
                 std::function<bool()> finished,
                 std::chrono::milliseconds windowWait = std::chrono::seconds(10));

    /// Runs every command in order; stops early when the program ends. Answers true when
    /// the script reached its end or a quit.
    bool Run(const Script& script);

  private:
    bool Act(const ScriptCommand& command);
    void Wait(double seconds);
    bool Await(const ScriptCommand& command);

    ui::HeadlessPrompts& prompts_;
    std::ostream& out_;
    std::function<void()> quit_;
    std::function<bool()> finished_;
    const std::chrono::milliseconds windowWait_;
};

}  // namespace talbex::app

// Scripts that drive the windows the way a person would, one command a line:
//   wait SECONDS                     let the program run (seconds, fractions allowed)
//   await ID [SECONDS]               wait until the topmost window's control can be used
//                                    (shown and enabled), at most SECONDS (default 30)
//   click ID                         click a button, check box or picture of the topmost window
//   doubleclick ID                   double-click a picture of the topmost window
//   key NAME                         press a key on the topmost window ("Space", "L", "+")
//   pick ID ROW | pick ID "label"    pick a row of a drop-down list
//   type ID "text"                   type into an edit field (replacing its text)
//   answer "start of a message" OK|Yes|No   answer for the message boxes that follow
//   folder PATH                      answer of the next folder chooser
//   close                            the topmost window's close box
//   quit                             end the program
// Blank lines and lines starting with '#' are skipped. Texts in double quotes may hold
// \" and \\.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/keys.h"
#include "platform/ui/message_box.h"

namespace talbex::app {

struct ScriptCommand {
    enum class Kind {
        kWait,
        kAwait,
        kClick,
        kDoubleClick,
        kKey,
        kPickRow,
        kPickLabel,
        kType,
        kAnswer,
        kFolder,
        kClose,
        kQuit
    };
    Kind kind = Kind::kQuit;
    int line = 0;
    double seconds = 0;
    int controlId = 0;
    int row = 0;
    ui::Key key = 0;
    std::string text;  // label, typed text, message start or folder
    ui::MessageBoxAnswer answer = ui::MessageBoxAnswer::kOk;
};

struct Script {
    std::vector<ScriptCommand> commands;
};

/// Reads every line of `text` into `script`. False at the first line it cannot
/// understand, with "line N: cannot understand: TEXT" in `error`.
bool ParseScript(std::string_view text, Script* script, std::string* error);

}  // namespace talbex::app
